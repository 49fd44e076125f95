#pragma once

#include "mainwindow/form1.h"
#include "compat/winsock/winsock.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/timesync/timepeers.h"
#include "timesync/frmntp.h"
#include "timesync/servers.h"
#include "tests/support/doubles/manualclock.h"
#include "tests/support/doubles/recordingclocksetter.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include <memory>

namespace testsupport {

// A loaded main window with a time-server window of its own, the recording
// clock setter, and the servers pointed at loopback.
class NtpRig {
public:
    explicit NtpRig(const QDateTime& start = QDateTime(QDate(2026, 12, 9), QTime(12, 0, 0)))
        : m_fixture(start), main(m_fixture.loadForm1()), ntp(std::make_unique<frmNTP>(main)),
          setter(environment().clockSetter())
    {
        setter.clear();
    }
    ~NtpRig()
    {
        ntp.reset();
        timesync::setServerTable({}, 0);
    }

    Form1Fixture& fixture() { return m_fixture; }
    platform::ManualClock& clock() { return m_fixture.clock(); }

    // Every built-in entry dials 127.0.0.1 at this port.
    static void useServer(quint16 port)
    {
        timesync::setServerTable(QStringList(10, QStringLiteral("127.0.0.1")), port);
    }

    QAction* action(const QString& name) const
    {
        auto* found = ntp->findChild<QAction*>(name);
        if (!found)
            qFatal("no action %s", qPrintable(name));
        return found;
    }
    bool menuEnabled(const QString& name) const
    {
        if (name == QLatin1String("ServList"))
            return ntp->findChild<QMenu*>(name)->menuAction()->isEnabled();
        return action(name)->isEnabled();
    }
    QLabel* label(const QString& name) const { return ntp->findChild<QLabel*>(name); }
    QString text(const QString& name) const { return label(name)->text(); }
    QString mainTooltip(const QString& name) const { return main->findChild<QLabel*>(name)->toolTip(); }

    // Real events run; the manual clock moves stepMs between them.
    bool pump(const std::function<bool()>& done, int stepMs = 10) { return pumpUntil(done, &clock(), stepMs); }
    // Until the window's client has taken its connect event (the clock stands still).
    bool pumpUntilConnected()
    {
        auto* client = ntp->findChild<platform::WinsockClient*>();
        return client && pump([client] { return client->State() == platform::WinsockClient::sckConnected; }, 0);
    }
    // Until every pending event has run and nothing more is posted.
    static void settle() { testsupport::drainEvents(); }
    bool pumpUntilRequests(int n, int stepMs = 10)
    {
        return pump([this, n] { return setter.requests().size() >= n; }, stepMs);
    }

    // The servers the attempts dialled, from the sync log.
    QStringList dialled() const
    {
        QStringList hosts;
        for (const QString& line : ntp->syncLog().split(QStringLiteral("\r\n")))
            if (line.startsWith(QLatin1String("Server: ")))
                hosts.append(line.mid(8));
        return hosts;
    }

private:
    Form1Fixture m_fixture;

public:
    Form1* main;
    std::unique_ptr<frmNTP> ntp;
    platform::RecordingClockSetter& setter;
};

} // namespace testsupport
