#include "platform/desktop/trayicon.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

namespace platform {
namespace {

// QSystemTrayIcon binds to the desktop's tray (D-Bus or XEmbed) only when it is
// first shown, and reports itself visible even when no tray holds it: showing
// the icon therefore makes a new one each time.
class QtTrayIcon : public TrayIcon {
public:
    bool isHostAvailable() override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    void showIcon(const QIcon& icon, const QString& tip) override
    {
        m_tip = tip;
        m_icon.reset();
        if (!hasWindowSystem())
            return;
        m_icon = std::make_unique<QSystemTrayIcon>(icon);
        m_icon->setToolTip(tip);
        if (m_menu)
            m_icon->setContextMenu(m_menu);
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, &QtTrayIcon::onActivated);
        m_icon->show();
    }

    void hideIcon() override { m_icon.reset(); }
    bool isIconShown() const override { return m_icon != nullptr; }

    void setToolTip(const QString& tip) override
    {
        m_tip = tip;
        if (m_icon)
            m_icon->setToolTip(tip);
    }
    QString toolTip() const override { return m_tip; }

    void setContextMenu(QMenu* menu) override
    {
        m_menu = menu;
        if (m_icon)
            m_icon->setContextMenu(menu);
    }

private:
    // Headless platforms have no notification area to bind to.
    static bool hasWindowSystem()
    {
        const QString name = QGuiApplication::platformName();
        return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
    }

    void onActivated(QSystemTrayIcon::ActivationReason reason)
    {
        switch (reason) {
        case QSystemTrayIcon::Trigger: emit released(); break;
        case QSystemTrayIcon::DoubleClick: emit doubleClicked(); break;
        case QSystemTrayIcon::MiddleClick: emit middleClicked(); break;
        default: break;
        }
    }

    std::unique_ptr<QSystemTrayIcon> m_icon;
    QPointer<QMenu> m_menu;
    QString m_tip;
};

TrayIcon* g_override = nullptr;

TrayIcon& realTrayIcon()
{
    // Made on first use (it needs the application object) and never destroyed:
    // the program ends without running destructors.
    static auto* icon = new QtTrayIcon;
    return *icon;
}

} // namespace

TrayIcon& trayIcon() { return g_override ? *g_override : realTrayIcon(); }

void setTrayIcon(TrayIcon* icon) { g_override = icon; }

} // namespace platform
