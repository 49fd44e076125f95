#include "mainwindow/form1.h"

#include "mainwindow/clickfilter.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

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
