#include "mainwindow/form1.h"

#include "mainwindow/clickfilter.h"

#include "mainwindow/appwindows.h"
#include "online/frminternet.h"
#include "online/frmmail.h"
#include "online/internet.h"
#include "reminders/automaticmessage.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>

#include <functional>

void Form1::wireOnline()
{
    m_internet = new Internet(*this);
    setUpdateChecker(m_internet);
    m_internet->setNoticeOpener([](const QString& text) { reminders::showAutomaticMessage(text); });
    enableCommand(QStringLiteral("InterLaunch"), &Form1::InterLaunch_Click);
    enableCommand(QStringLiteral("ChckUpdt"), &Form1::ChckUpdt_Click);
    enableCommand(QStringLiteral("ChckUpdtList"), &Form1::ChckUpdtList_Click);
    for (int i = 1; i <= 3; ++i) {
        QAction* item = command(QStringLiteral("SendLinks_%1").arg(i));
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, [this, i] { SendLinks_Click(i); });
    }
    auto* clicks = new ClickFilter(this, [this] { Image12_Click(); });
    Image12->installEventFilter(clicks);
    Image14->installEventFilter(clicks);
}

void Form1::InterLaunch_Click()
{
    On_Off = true;
    Timer8.setEnabled(true);
    Image9->setToolTip(QStringLiteral("Online Radio Check..."));
    QAction* item = command(QStringLiteral("InterLaunch"));
    item->setEnabled(false);
    try {
        frmInternet& list = appWindows().internetList();
        list.setHost(this);
        list.showModal();
        LoadOptions(0);
        LoadOptions(7);
        ActURL();
    } catch (const std::exception&) {
        // A damaged station value: the table keeps what it had.
    }
    item->setEnabled(true);
    Timer8.setEnabled(false);
    StopTimer8();
}

void Form1::ChckUpdt_Click()
{
    if (m_timeServer && m_timeServer->isVisible())
        return;
    VNNetAutoSync2 = false;
    On_Off = true;
    Timer8.setEnabled(true);
    Image9->setToolTip(QStringLiteral("Online Updates Check..."));
    m_internet->ChkUpdate(false);
    // The check stops the animation when it ends.
    if (!m_internet->checkRunning())
        StopTimer8();
}

void Form1::Image12_Click() { ChckUpdt_Click(); }

void Form1::ChckUpdtList_Click()
{
    On_Off = true;
    Timer8.setEnabled(true);
    Image9->setToolTip(QStringLiteral("Online Radio Check..."));
    m_internet->ChkRadioList();
}

void Form1::SendLinks_Click(int index)
{
    frmMail& mail = appWindows().mailWindow();
    mail.setHost(this);
    mail.StartMailSend(index);
    mail.show();
}
