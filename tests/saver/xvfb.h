#pragma once

#include <QProcess>
#include <QString>

#include <memory>

namespace testsupport {

// A private X server (Xvfb) on a free display, stopped by its pid when the
// object goes. Start it before the QApplication and point DISPLAY at it.
class Xvfb {
public:
    explicit Xvfb(const QString& screen = QStringLiteral("1280x1024x24"));
    ~Xvfb();

    bool isRunning() const { return !m_display.isEmpty(); }
    QString display() const { return m_display; } // ":N"
    qint64 pid() const { return m_pid; }

private:
    QString m_display;
    qint64 m_pid = 0;
};

} // namespace testsupport
