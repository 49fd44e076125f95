#include "mainwindow/form1.h"

#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "platform/base/dialogs.h"
#include "platform/base/program.h"
#include "compat/vb/conversions.h"
#include "platform/base/filestamp.h"
#include "compat/win32/registry.h"
#include "platform/system/xscreensaver.h"
#include "saver/mainvn.h"
#include "saver/modss.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace {

void tellUser(const QString& text)
{
    platform::dialogs().msgBox(text, platform::mb::Exclamation, QStringLiteral("Vantora"));
}

} // namespace

void Form1::wireSaver()
{
    command(QStringLiteral("VNSsaver"))->setCheckable(true);
    enableCommand(QStringLiteral("VNSsaver"), &Form1::VNSsaver_Click);
    enableCommand(QStringLiteral("PrevSSVN"), &Form1::PrevSSVN_Click);
    enableCommand(QStringLiteral("VNSet"), &Form1::VNSet_Click);
    enableCommand(QStringLiteral("mnuPassword"), &Form1::mnuPassword_Click);
    for (int index : {0, 1, 2, 4}) {
        QAction* item = command(QStringLiteral("mnuMin_%1").arg(index));
        item->setCheckable(true);
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, [this, index] { mnuMin_Click(index); });
    }
}

void Form1::refreshScreenSaverItems()
{
    // The items show what two files hold: they are read again only when one
    // of them changed (the pointer and the ten-second store ask often).
    if (m_saverItemFiles[0].isEmpty())
        m_saverItemFiles = {platform::registryFilePath(platform::HKEY_CURRENT_USER), platform::xscreensaverFilePath()};
    const std::array<platform::FileStamp, 2> stamps{platform::FileStamp::ofPath(m_saverItemFiles[0]),
                                                    platform::FileStamp::ofPath(m_saverItemFiles[1])};
    if (m_saverItemStamps && *m_saverItemStamps == stamps)
        return;
    m_saverItemStamps = stamps;
    const bool installed = modSS::IsVNInstalled(modSS::CheckSSInstalled());
    command(QStringLiteral("VNSsaver"))->setChecked(installed);
    command(QStringLiteral("mnuPassword"))->setEnabled(installed);
    findChild<QMenu*>(QStringLiteral("mnuMinmain"))->menuAction()->setEnabled(installed);
    SaverSecure = modSS::GetSSSecure();
    SetmnuPassword();
    SetmnuMin();
}

void Form1::VNSsaver_Click()
{
    if (!QFileInfo::exists(MainWin::saverPath())) {
        tellUser(
            QStringLiteral("VN cannot be set as the screen saver: its file %1 is missing.").arg(MainWin::saverPath()));
    } else if (!modSS::SaverServiceAvailable()) {
        tellUser(QStringLiteral("VN cannot be set as the screen saver: XScreenSaver is not running on this "
                                "desktop.\r\n\r\nVN runs as a screen saver under XScreenSaver only; GNOME and KDE "
                                "do not run screen saver programs."));
    } else if (!modSS::SetSSFile(modSS::SaverFile) || !modSS::SetSSActive(true)) {
        tellUser(QStringLiteral("VN could not be set as the screen saver: %1 could not be written.")
                     .arg(platform::xscreensaverFilePath()));
    }
    // The click has toggled the item: it shows the files again even when they did not change.
    m_saverItemStamps.reset();
    refreshScreenSaverItems();
}

void Form1::PrevSSVN_Click()
{
    hide();
    platform::ShowCursor(false);
    try {
        appWindows().saverPreview()->Form_Load();
    } catch (const std::exception&) {
        // The clock did not come up: give the desktop back.
        appWindows().closeSaverPreview();
        platform::ShowCursor(true);
        show();
    }
}

void Form1::VNSet_Click() { appWindows().showSaverSettings(); }

void Form1::mnuPassword_Click()
{
    if (!modSS::ToggleSSSecure())
        tellUser(QStringLiteral("The password protection could not be changed: %1 could not be written.")
                     .arg(platform::xscreensaverFilePath()));
    SaverSecure = modSS::GetSSSecure();
    SetmnuPassword();
}

void Form1::SetmnuPassword()
{
    command(QStringLiteral("mnuPassword"))
        ->setText(SaverSecure ? QStringLiteral("Disable Password Protection")
                              : QStringLiteral("Enable Password Protection"));
}

void Form1::mnuMin_Click(int index)
{
    qint32 minutes = 0;
    if (index == 4) {
        const QString answer = platform::dialogs().inputBox(
            QStringLiteral("Number of idle minutes before starting screensaver:"), QStringLiteral("VN Screen Saver"),
            QStringLiteral("60"));
        if (!platform::isNumeric(answer)) {
            SetmnuMin();
            return;
        }
        try {
            minutes = platform::toInt32(answer);
        } catch (const platform::RuntimeError&) {
            minutes = -1; // beyond any idle time: refused below
        }
    } else {
        minutes = command(QStringLiteral("mnuMin_%1").arg(index))->text().left(2).trimmed().toInt();
    }
    if (minutes < modSS::MinIdleMinutes || minutes > modSS::MaxIdleMinutes)
        tellUser(QStringLiteral("The screen saver can start after %1 to %2 minutes of idle time.")
                     .arg(modSS::MinIdleMinutes)
                     .arg(modSS::MaxIdleMinutes));
    else if (!modSS::SetSSTimeout(minutes))
        tellUser(QStringLiteral("The idle time could not be changed: %1 could not be written.")
                     .arg(platform::xscreensaverFilePath()));
    else
        IdleMinutes = minutes;
    SetmnuMin();
}

void Form1::SetmnuMin()
{
    IdleMinutes = modSS::GetSSTimeout();
    const int checked = IdleMinutes == 1 ? 0 : IdleMinutes == 15 ? 1 : IdleMinutes == 30 ? 2 : 4;
    for (int index = 0; index <= 4; ++index) {
        QAction* item = command(QStringLiteral("mnuMin_%1").arg(index));
        if (!item->isSeparator())
            item->setChecked(index == checked);
    }
    command(QStringLiteral("mnuMin_4"))
        ->setText(checked != 4 ? QStringLiteral("Other...") : QStringLiteral("Other (%1 minutes)...").arg(IdleMinutes));
}
