#include "mainwindow/form1.h"

#include "mainwindow/appwindows.h"
#include "mainwindow/form2.h"
#include "mainwindow/frmhist.h"
#include "mainwindow/frmos.h"
#include "mainwindow/modshellexec.h"
#include "mainwindow/progressbar.h"
#include "platform/base/clock.h"
#include "platform/base/modal.h"
#include "compat/win32/colors.h"
#include "platform/base/twips.h"
#include "platform/desktop/trayicon.h"
#include "platform/system/paths.h"
#include "resources/resourceids.h"
#include "resources/resources.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>

namespace {

using platform::kTwipsPerPixel;
constexpr quint32 kPictureBack = 0x404040;

QLabel* makePictureBox(QWidget* parent, const QString& name, int widthTwips, int heightTwips)
{
    auto* box = new QLabel(parent);
    box->setObjectName(name);
    box->setGeometry(-2 * parent->width() - 3000 / kTwipsPerPixel, -200, widthTwips / kTwipsPerPixel,
                     heightTwips / kTwipsPerPixel);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, platform::fromBgr(kPictureBack));
    box->setPalette(pal);
    box->setAutoFillBackground(true);
    return box;
}

QPixmap blankPicture(const QSize& size)
{
    QPixmap picture(size.expandedTo(QSize(1, 1)));
    picture.fill(platform::fromBgr(kPictureBack));
    return picture;
}

} // namespace

void Form1::wireInfo()
{
    enableCommand(QStringLiteral("VNHelp"), &Form1::VNHelp_Click);
    enableCommand(QStringLiteral("VNHist"), &Form1::VNHist_Click);
    enableCommand(QStringLiteral("aboutdnw"), &Form1::aboutdnw_Click);
    enableCommand(QStringLiteral("OSInf"), &Form1::OSInf_Click);
    enableCommand(QStringLiteral("hidesystr"), &Form1::hidesystr_Click);

    picBuffer = makePictureBox(this, QStringLiteral("picBuffer"), 105, 45);
    picProgress = makePictureBox(this, QStringLiteral("picProgress"), 2715, 75);

    platform::TrayIcon& tray = platform::trayIcon();
    connect(&tray, &platform::TrayIcon::released, this, &Form1::cSysTray1_MouseUp);
    connect(&tray, &platform::TrayIcon::doubleClicked, this, &Form1::cSysTray1_MouseDblClick);
    connect(&tray, &platform::TrayIcon::middleClicked, this, &Form1::cSysTray1_MouseDblClick);
    // The icon belongs to this window: it leaves the tray with it.
    connect(this, &QObject::destroyed, [] { platform::trayIcon().hideIcon(); });
    tray.setContextMenu(tools);
    m_trayHostSeen = tray.isHostAvailable();
    showTrayIcon();
}

void Form1::showTrayIcon()
{
    // A new icon keeps the time the old one showed in its tip.
    QIcon icon;
    icon.addPixmap(platform::loadBitmap(resid::BmpProgramIcon16));
    icon.addPixmap(platform::loadBitmap(resid::BmpProgramIcon32));
    platform::trayIcon().showIcon(
        icon, m_trayTipTime.isEmpty() ? QStringLiteral("Vantora") : QStringLiteral("Vantora - ") + m_trayTipTime);
}

// ---- Tray icon and hiding ----

void Form1::cSysTray1_MouseMove()
{
    m_trayTipTime = platform::clock().now().toString(QStringLiteral("HH:mm"));
    platform::trayIcon().setToolTip(QStringLiteral("Vantora - ") + m_trayTipTime);
}

void Form1::cSysTray1_MouseUp()
{
    m_hiddenInTray = false;
    // The window manager may have left the clock minimised (hidden without a
    // tray, then restored and hidden again): it comes back normal and on top.
    if (isMinimized())
        showNormal();
    setVisible(true);
    raise();
}

void Form1::cSysTray1_MouseDblClick()
{
    // The same command as "Play Default Radio".
    QAction* play = command(QStringLiteral("Plydf"));
    if (play->isEnabled())
        play->trigger();
}

void Form1::hidesystr_Click()
{
    platform::TrayIcon& tray = platform::trayIcon();
    const bool host = tray.isHostAvailable();
    auto* radio = dynamic_cast<QWidget*>(m_radio);
    if (!host) {
        // No notification area to come back from: out of the way, not lost.
        if (radio && radio->isVisible())
            radio->showMinimized();
        showMinimized();
        return;
    }
    if (!m_trayHostSeen || !tray.isIconShown())
        showTrayIcon();
    m_trayHostSeen = true;
    if (radio)
        radio->setVisible(false);
    setVisible(false);
    m_hiddenInTray = true;
}

void Form1::hidtout() { hidesystr_Click(); }

void Form1::refreshTray()
{
    // The tip shows the minute: only a tick whose hour or minute digits changed can change it.
    const bool newMinute = digitChanged(1) || digitChanged(2) || digitChanged(3) || digitChanged(4);
    if ((newMinute || m_trayTipTime.isEmpty()) && NowTime.toString(QStringLiteral("HH:mm")) != m_trayTipTime)
        cSysTray1_MouseMove();
    if (digitChanged(6) && DigitNow[6] == QLatin1String("0"))
        pollTrayHost();
}

void Form1::pollTrayHost()
{
    platform::TrayIcon& tray = platform::trayIcon();
    const bool host = tray.isHostAvailable();
    if (host && !m_trayHostSeen)
        showTrayIcon(); // a tray that came after the icon only takes a new one
    m_trayHostSeen = host;
    if (!host && m_hiddenInTray) {
        m_hiddenInTray = false;
        setVisible(true);
    }
    if (isVisible())
        m_hiddenInTray = false;
}

// ---- Help, history, About, system information ----

void Form1::VNHelp_Click()
{
    modShellExec::ShellExec(platform::appPath() + QStringLiteral("/VN.htm"), QString(), QString(), [](int result) {
        if (result < 33)
            modShellExec::ShellExecErr(result, true);
    });
}

void Form1::VNHist_Click()
{
    FrmHist* history = appWindows().history();
    history->setMainWindow(this);
    history->FrmChoice(1, QStringLiteral("History"));
}

void Form1::aboutdnw_Click()
{
    Form2* about = appWindows().about();
    about->setMainWindow(this);
    platform::modalWindows().runModal(about);
    platform::doEvents();
}

void Form1::OSInf_Click()
{
    // Closing the window unloads it: every opening reads the system afresh.
    FrmOS os(this);
    platform::modalWindows().runModal(&os);
}

// ---- Progress bar ----

void Form1::InitProgressBar(qint16& Index)
{
    picBuffer->resize(picBuffer->width(), picSegment[7]->height());
    picProgress->resize(picProgress->width(), picBuffer->height());
    picBuffer->resize(picProgress->width(), picBuffer->height());
    Index = 7;
}

void Form1::SetProgressBarValue(QLabel* Target, qint32 Min, qint32 Max, qint32 Value, QLabel* Segment)
{
    if (!Target || !Segment)
        return;
    const ProgressDrawing plan = planProgressBar(Target->width(), Segment->width(), Min, Max, Value);
    if (!plan.draws)
        return;
    QPixmap buffer = blankPicture(picBuffer->size());
    if (plan.copies) {
        const QPixmap segment = Segment->pixmap();
        QPainter p(&buffer);
        for (int i = 0; i < plan.blocks; ++i)
            p.drawPixmap(progressBlockX(Segment->width(), i), 0, segment, 0, 0, Segment->width(), Segment->height());
        p.end();
        QPixmap shown = Target->pixmap().isNull() ? blankPicture(Target->size()) : Target->pixmap();
        QPainter onto(&shown);
        onto.setCompositionMode(QPainter::CompositionMode_Source);
        onto.drawPixmap(0, 0, buffer);
        onto.end();
        Target->setPixmap(shown);
    }
    picBuffer->setPixmap(buffer);
    Target->update();
}
