#include "platform/base/clock.h"
#include "compat/win32/colors.h"
#include "platform/base/twips.h"
#include "platform/media/mediaplayer.h"
#include "compat/vb/conversions.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "radio/playerview.h"
#include "radio/radio.h"
#include "radio/radiopictures.h"

#include <QAction>
#include <QLabel>

// The status strip: volume and reception bars, pictures and their tips, the
// message line and the information line.

namespace {

using platform::kOptions;
const QString kSoundVol = QStringLiteral("SoundVol");
using platform::kTwipsPerPixel;
constexpr int kMarqueeHoldTicks = 50; // a whole message stays 2 s

const QStringList& messages()
{
    static const QStringList list{
        QStringLiteral("Vantora Radio - by the Vantora team"),
        QStringLiteral("Vantora Radio - made in Belgium"),
        QStringLiteral("Watch Vantora Radio Online"),
    };
    return list;
}

const QStringList& credits()
{
    static const QStringList list{
        QStringLiteral("Vantora Radio"),
        QStringLiteral("Brussels, 2026"),
        QStringLiteral("Write to the Vantora team"),
        QStringLiteral("www.vantora.example.org"),
        QStringLiteral("MP3 Player"),
    };
    return list;
}

} // namespace

// ---- Volume ----

void Radio::RegVol()
{
    if (MediaPlayer1)
        platform::saveSetting(kOptions, kSoundVol, platform::intText(MediaPlayer1->Volume()));
}

void Radio::LoadVol()
{
    if (!MediaPlayer1)
        return;
    const qint32 current = MediaPlayer1->Volume();
    try {
        MediaPlayer1->setVolume(
            platform::toInt32(platform::getSetting(kOptions, kSoundVol, platform::intText(current))));
    } catch (const platform::RuntimeError&) {
        // A damaged value leaves the player's volume as it is.
    }
}

void Radio::Affvol()
{
    RegVol();
    const radiologic::VolumeDisplay shown = radiologic::volumeDisplay(MediaPlayer1->Volume());
    m_volumeBarTwips = shown.barTwips;
    Shape[6]->resize(m_volumeBarTwips / kTwipsPerPixel, Shape[6]->height());
    Image7->setToolTip(radiologic::volumeTip(shown));
}

void Radio::Timer8_Timer()
{
    if (!MediaPlayer1)
        return;
    CurVol = MediaPlayer1->Volume();
    if (CurVol != LastVol) {
        Affvol();
        LastVol = CurVol;
    }
    CurQual = MediaPlayer1->ReceptionQuality();
    if (CurQual != LastQual) {
        m_receptionBarTwips = radiologic::receptionBarTwips(CurQual);
        Shape[9]->resize(m_receptionBarTwips / kTwipsPerPixel, Shape[9]->height());
        Image8->setToolTip(QStringLiteral("Reception Quality: %1%").arg(CurQual));
        LastQual = CurQual;
    }
    if (!ActualMP3Play.isEmpty()) {
        Shape[7]->show();
        Label6->setText(radiologic::cutText(ActualMP3Play, 35));
        Label6->setToolTip(ActualMP3Play);
    } else {
        Label6->clear();
        Shape[7]->hide();
    }
    playerView->refresh();
}

// ---- Strip ----

void Radio::Afftout()
{
    for (QWidget* w :
         {static_cast<QWidget*>(Image6), Shape[4], static_cast<QWidget*>(Label6), Shape[5], Shape[6], Shape[8],
          Shape[9], Shape[10], Shape[11], static_cast<QWidget*>(Image7), static_cast<QWidget*>(Image8)})
        w->show();
    const bool fileOrFolder = isStation(11, 12);
    Label3->setVisible(fileOrFolder && shared().Shuffl);
    Label2->setVisible(fileOrFolder && shared().Rpeat);
    Shape[4]->setVisible(fileOrFolder && (shared().Rpeat || shared().Shuffl));
}

void Radio::Efftout()
{
    for (QWidget* w :
         {static_cast<QWidget*>(Image6), Shape[4], static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3),
          Shape[7], static_cast<QWidget*>(Label6), Shape[5], Shape[6], Shape[8], Shape[9], Shape[10], Shape[11],
          static_cast<QWidget*>(Image7), static_cast<QWidget*>(Image8)})
        w->hide();
}

void Radio::NetAvail()
{
    buttonMute->setEnabled(true);
    buttonMute->setToolTip(QStringLiteral("Mute"));
}

void Radio::setOnAir(int index, const QString& tip)
{
    m_onAirPicture = index;
    Image4->setPixmap(radiopictures::onAir(index));
    Image4->setToolTip(tip);
}

void Radio::setConnection(int index)
{
    m_connectionPicture = index;
    Image5->setPixmap(radiopictures::connection(index));
}

void Radio::setStartStop(int index, const QString& tip)
{
    Image2->setPixmap(radiopictures::startStop(index));
    Image2->setToolTip(tip);
}

// ---- Animations ----

void Radio::Timer4_Timer()
{
    m_onAirPicture = radiologic::nextOnAirPicture(m_onAirPicture);
    Image4->setPixmap(radiopictures::onAir(m_onAirPicture));
}

void Radio::Timer5_Timer()
{
    setConnection(radiologic::nextConnectionPicture(m_connectionPicture));
    const qint32 quality = MediaPlayer1->ReceptionQuality();
    Image5->setToolTip(QStringLiteral("Bandwidth %1 bits/sec - Reception %2 % - Click Here")
                           .arg(MediaPlayer1->Bandwidth())
                           .arg(quality));
    if (WebcamOn)
        MediaPlayer1->setToolTipText(QStringLiteral("Vantora Radio - Online - Reception %1%").arg(quality));
}

void Radio::Timer6_Timer()
{
    const qint32 progress = MediaPlayer1->BufferingProgress();
    Image4->setToolTip(QStringLiteral("Buffering Vantora Radio - %1%").arg(progress));
    if (progress < 100)
        return;
    Timer6.setEnabled(false);
    if (WebcamOn)
        Image4->setToolTip(QStringLiteral("Vantora Radio's On - Click for Controls"));
}

// ---- Information line ----

void Radio::showInfoLine(const radiologic::InfoLine& line)
{
    if (!line.show)
        return;
    Label5->setText(line.text);
    Label5->setToolTip(line.text);
    // &HE0E0E0 and red (255), as colours of the runtime (&HBBGGRR).
    QPalette pal = Label5->palette();
    pal.setColor(QPalette::WindowText, platform::fromBgr(line.dateColour ? 0x0000FF : 0xE0E0E0));
    Label5->setPalette(pal);
}

void Radio::Timer7_Timer()
{
    if (!MediaPlayer1)
        return;
    const QDate today = platform::clock().now().date();
    if (RadioOn && !isStation(11, 12)) {
        platform::MediaPlayer* player = MediaPlayer1.get();
        showInfoLine(radiologic::mediaInfoTick(
            m_infoStep, [player](qint32 item) { return player->GetMediaInfoString(item); }, today));
    } else {
        showInfoLine(radiologic::creditsTick(m_infoStep, credits(), today));
    }
}

void Radio::showMissingSoundOutput()
{
    // The message line rests while something plays: the state goes there.
    if (!MediaPlayer1->HasSoundOutput())
        Label1->setText(QStringLiteral("No sound output"));
}

// ---- Message line ----

void Radio::Timer2_Timer()
{
    Timer1.setEnabled(false);
    const int number = qBound(1, static_cast<int>(MessNr), 3);
    const QString& message = messages()[number - 1];
    ++m_marqueeStep;
    Espa = static_cast<float>(m_marqueeStep);
    Espa2 = static_cast<float>(std::max(0, radiologic::MarqueeField - m_marqueeStep));
    Label1->setText(radiologic::marqueeFrame(message, m_marqueeStep));
    if (m_marqueeStep < message.size() + kMarqueeHoldTicks)
        return;
    m_marqueeStep = 0;
    Espa = 0;
    Espa2 = 0;
    MessNr = number >= 3 ? 1 : number + 1;
    if (number == 3) {
        Timer2.setEnabled(false);
        Timer1.setEnabled(true);
    }
}

void Radio::Timer1_Timer() { Timer2.setEnabled(true); }
