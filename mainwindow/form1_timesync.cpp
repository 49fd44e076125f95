#include "mainwindow/form1.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

// Runs a command when a picture is clicked with the left button.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick) : QObject(parent), m_onClick(std::move(onClick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_onClick();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClick;
};

} // namespace

void Form1::wireTimeSync()
{
    enableCommand(QStringLiteral("NTPserv"), &Form1::NTPserv_Click);
    Image10->installEventFilter(new ClickFilter(Image10, [this] { Image10_Click(); }));
    Image11->installEventFilter(new ClickFilter(Image11, [this] { Image11_Click(); }));
}

void Form1::NTPserv_Click()
{
    if (m_timeServer)
        m_timeServer->StartNTP(0);
}

// The time-sync picture synchronises at once, as the daily run does.
void Form1::Image10_Click()
{
    if (m_timeServer)
        m_timeServer->StartNTP(-1);
}

void Form1::Image11_Click() { Image10_Click(); }

void Form1::setNtpTooltips(const QString& text) { setSyncTooltips(text); }
