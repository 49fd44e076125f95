#pragma once

#include "mainwindow/form1.h"
#include "platform/base/modal.h"
#include "tests/support/doubles/recordingmediaplayer.h"
#include "radio/radio.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/doubles/scriptedmodalwindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>

namespace radiotest {

// A main window whose radio window is made on first need, with recording players.
class RadioFixture : public testsupport::Form1Fixture {
public:
    // With realPlayers the radio window gets libVLC's player, else recording
    // ones. libVLC is then started at once, so that the test's time limits do
    // not include its start, unless coldEngine asks for the user's first start.
    explicit RadioFixture(const QDateTime& start = QDateTime(QDate(2026, 12, 9), QTime(12, 0, 0)),
                          bool realPlayers = false, bool coldEngine = false)
        : Form1Fixture(start)
    {
        platform::setModalWindows(&m_modal);
        if (realPlayers) {
            if (!coldEngine)
                platform::MediaPlayer::startEngine();
            return;
        }
        platform::setMediaPlayerFactory([this] {
            auto player = std::make_unique<platform::RecordingMediaPlayer>();
            m_players.append(player.get());
            return std::unique_ptr<platform::MediaPlayer>(std::move(player));
        });
    }
    ~RadioFixture()
    {
        m_radio.reset();
        unload();
        platform::setMediaPlayerFactory({});
        platform::setModalWindows(nullptr);
    }

    // Modal windows: shown, answered by the next queued answer, then closed.
    platform::ScriptedModalWindows& modal() { return m_modal; }

    Form1* load()
    {
        Form1* w = loadForm1();
        w->setRadioFactory([this, w] {
            ++m_radiosMade;
            m_radio = std::make_unique<Radio>(*w);
            m_radio->seedShuffle(7);
            return m_radio.get();
        });
        return w;
    }

    Radio* radio() const { return m_radio.get(); }
    int radiosMade() const { return m_radiosMade; }
    // The player of the loaded radio window.
    platform::RecordingMediaPlayer* player() const
    {
        return m_radio ? qobject_cast<platform::RecordingMediaPlayer*>(m_radio->player()) : nullptr;
    }
    int playersMade() const { return static_cast<int>(m_players.size()); }
    // Runs what the windows left for the event loop (a window's unload).
    static void settle() { QCoreApplication::processEvents(); }

private:
    platform::ScriptedModalWindows m_modal;
    std::unique_ptr<Radio> m_radio;
    QList<QPointer<platform::RecordingMediaPlayer>> m_players;
    int m_radiosMade = 0;
};

// A folder of empty files with the given names.
inline QString makeFolder(const QTemporaryDir& dir, const QString& name, const QStringList& files)
{
    const QString folder = dir.filePath(name);
    QDir().mkpath(folder);
    for (const QString& file : files) {
        QFile f(folder + QLatin1Char('/') + file);
        f.open(QIODevice::WriteOnly);
    }
    return folder + QLatin1Char('/');
}

} // namespace radiotest
