// The registration against the real XScreenSaver daemon on a private X
// server: the main program's commands set VN as the screensaver, the daemon
// runs it in its window when activated and ends it when deactivated.
// XScreenSaver refuses to run programs as root, so under root the daemon runs
// as the unprivileged user "nobody" with a home folder of its own.
#include "platform/system/paths.h"
#include "platform/system/xscreensaver.h"
#include "saver/modss.h"
#include "tests/saver/xvfb.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr uid_t kNobody = 65534;

// A home folder the unprivileged user can read, removed afterwards.
class SharedHome {
public:
    SharedHome()
    {
        // Under /tmp: the test's own temporary folder is closed to other users.
        QByteArray pattern("/tmp/vantora-xss-XXXXXX");
        if (::mkdtemp(pattern.data()))
            m_path = QString::fromLocal8Bit(pattern);
        QFile::setPermissions(m_path,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                  | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
    ~SharedHome()
    {
        if (!m_path.isEmpty())
            QDir(m_path).removeRecursively();
    }
    QString path() const { return m_path; }

private:
    QString m_path;
};

// The arguments that run a program as the daemon's user.
QStringList asDaemonUser(const QString& home, const QString& display, const QStringList& command)
{
    QStringList env{"env", "-i", "HOME=" + home, "DISPLAY=" + display, "PATH=/usr/bin:/bin"};
    if (::getuid() != 0)
        return env + command;
    return QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + env + command;
}

int runAsDaemonUser(const QString& home, const QString& display, const QStringList& command)
{
    const QStringList all = asDaemonUser(home, display, command);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(all.first(), all.mid(1));
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitCode();
}

// A file of /proc, read whole (they report no size, so QFile reads nothing).
QByteArray procFile(const QString& path)
{
    QByteArray data;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return data;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        data.append(buffer, n);
    ::close(fd);
    return data;
}

// The pids of running processes whose program is `path`.
QList<qint64> processesRunning(const QString& path)
{
    QList<qint64> pids;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        const QByteArray state = procFile("/proc/" + entry + "/stat").split(')').value(1).trimmed().left(1);
        if (procFile("/proc/" + entry + "/cmdline").split('\0').value(0) == path.toLocal8Bit() && state != "Z")
            pids.append(pid);
    }
    return pids;
}

// Waits for a condition that another process brings about.
bool eventually(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, testsupport::patience(timeoutMs));
}

QByteArray fixture()
{
    QFile file(qEnvironmentVariable("VANTORA_SOURCE_DIR") + "/tests/saver/data/xscreensaver-6.06");
    if (!file.open(QIODevice::ReadOnly))
        qFatal("fixture missing");
    return file.readAll();
}

} // namespace

class TestXScreenSaverDaemon : public QObject {
    Q_OBJECT
private:
    QString m_display;
    std::unique_ptr<SharedHome> m_home;
    std::unique_ptr<QProcess> m_daemon;

    bool daemonAnswers()
    {
        return runAsDaemonUser(m_home->path(), m_display, {"xscreensaver-command", "-version"}) == 0;
    }

private slots:
    void initTestCase()
    {
        m_display = qEnvironmentVariable("DISPLAY");
        m_home = std::make_unique<SharedHome>();
        QVERIFY(!m_home->path().isEmpty());
        // The program's folders and the daemon's preferences in the shared home.
        qputenv("HOME", m_home->path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", (m_home->path() + "/.local/share").toLocal8Bit());
        QByteArray prefs = fixture();
        prefs.replace("fade:\t\tTrue", "fade:\t\tFalse");
        QFile file(platform::xscreensaverFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(prefs);
        file.close();
        // The screensaver file where the main program writes it.
        const QString saver = platform::hostPath(modSS::SaverFile);
        QDir().mkpath(QFileInfo(saver).absolutePath());
        QVERIFY(QFile::copy(QStringLiteral(VN_PROGRAM), saver));
        for (QDirIterator it(m_home->path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            if (::getuid() == 0 && ::chown(QFile::encodeName(path).constData(), kNobody, kNobody) != 0)
                QFAIL("cannot hand the home folder to the daemon's user");
            if (QFileInfo(path).isDir())
                QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOther | QFile::ExeOther);
        }

        const QStringList daemon = asDaemonUser(m_home->path(), m_display, {"xscreensaver", "-no-splash"});
        m_daemon = std::make_unique<QProcess>();
        m_daemon->setStandardOutputFile(QProcess::nullDevice());
        m_daemon->setStandardErrorFile(QProcess::nullDevice());
        // The daemon goes with the test, however the test ends.
        m_daemon->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_daemon->start(daemon.first(), daemon.mid(1));
        QVERIFY(m_daemon->waitForStarted());
        QVERIFY(eventually([&] { return daemonAnswers(); }, 15000));
    }

    void cleanupTestCase()
    {
        if (m_daemon) {
            m_daemon->terminate();
            if (!m_daemon->waitForFinished(5000)) {
                m_daemon->kill();
                m_daemon->waitForFinished();
            }
        }
        const QString saver = platform::hostPath(modSS::SaverFile);
        QVERIFY(eventually([&] { return processesRunning(saver).isEmpty(); }, 5000));
        m_home.reset();
    }

    void theDaemonRunsVNOnceItIsRegistered()
    {
        QVERIFY(modSS::SaverServiceAvailable());
        QVERIFY(modSS::SetSSFile(modSS::SaverFile));
        QVERIFY(modSS::SetSSActive(true));
        QVERIFY(modSS::SetSSTimeout(15));
        QCOMPARE(modSS::CheckSSInstalled(), QString("C:\\Windows\\VN.scr"));
        QVERIFY(eventually([&] { return daemonAnswers(); }, 15000)); // back after its restart

        const QString saver = platform::hostPath(modSS::SaverFile);
        // Activating just after a restart may come too early: ask again until it blanks.
        QVERIFY(eventually(
            [&] {
                return runAsDaemonUser(m_home->path(), m_display, {"xscreensaver-command", "-activate"}) == 0;
            },
            20000));
        QVERIFY(eventually([&] { return !processesRunning(saver).isEmpty(); }, 20000));
        QVERIFY(eventually([&] { return testsupport::litPixels(0, 3) > 100; }, 15000));

        QCOMPARE(runAsDaemonUser(m_home->path(), m_display, {"xscreensaver-command", "-deactivate"}), 0);
        QVERIFY(eventually([&] { return processesRunning(saver).isEmpty(); }, 10000));
    }
};

int main(int argc, char** argv) { return testsupport::runTestsOnXvfb<TestXScreenSaverDaemon>(argc, argv); }

#include "test_xscreensaverdaemon.moc"
