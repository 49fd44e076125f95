#include "tests/saver/xvfb.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

Xvfb::Xvfb(const QString& screen)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    const QByteArray size = screen.toLocal8Bit();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The server goes with the test, however the test ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::close(fds[0]);
        if (fds[1] != 3) {
            ::dup2(fds[1], 3);
            ::close(fds[1]);
        }
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 2);
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", size.constData(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return;
    }
    m_pid = pid;
    // The server writes its display number once it accepts connections.
    QByteArray number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    if (!number.isEmpty())
        m_display = QStringLiteral(":") + QString::fromLatin1(number);
}

Xvfb::~Xvfb()
{
    if (m_pid > 0) {
        ::kill(static_cast<pid_t>(m_pid), SIGTERM);
        ::waitpid(static_cast<pid_t>(m_pid), nullptr, 0);
    }
}

WindowManager::WindowManager(const QString& display)
{
    const QByteArray where = display.toLocal8Bit();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::setenv("DISPLAY", where.constData(), 1);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::dup2(devnull, 2);
        ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid > 0)
        m_pid = pid;
}

WindowManager::~WindowManager()
{
    if (m_pid > 0) {
        ::kill(static_cast<pid_t>(m_pid), SIGTERM);
        ::waitpid(static_cast<pid_t>(m_pid), nullptr, 0);
    }
}

int litPixels(WId window, int step)
{
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window).toImage();
    int lit = 0;
    for (int y = 0; y < image.height(); y += step)
        for (int x = 0; x < image.width(); x += step) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() < 60 && c.green() > 200 && c.blue() > 200)
                ++lit;
        }
    return lit;
}

} // namespace testsupport
