#pragma once

#include "platform/desktop/trayicon.h"

#include <QIcon>
#include <QObject>
#include <QString>

namespace platform {

// A tray icon for tests: records what is asked, answers availability as set,
// and raises the pointer events on request.
class FakeTrayIcon : public TrayIcon {
    Q_OBJECT
public:
    bool isHostAvailable() override
    {
        ++m_availabilityChecks;
        return m_hostAvailable;
    }
    void showIcon(const QIcon& icon, const QString& tip) override;
    void hideIcon() override { m_shown = false; }
    bool isIconShown() const override { return m_shown; }
    void setToolTip(const QString& tip) override;
    QString toolTip() const override { return m_tip; }
    void setContextMenu(QMenu* menu) override { m_menu = menu; }

    void setHostAvailable(bool on) { m_hostAvailable = on; }
    void click() { emit released(); }
    // What a double click delivers: the button release, then the double click.
    void doubleClick();
    void middleClick() { emit middleClicked(); }

    int showCount() const { return m_showCount; }
    int availabilityChecks() const { return m_availabilityChecks; }
    // Every tip text set, in order.
    const QStringList& tips() const { return m_tips; }
    QMenu* contextMenu() const { return m_menu; }
    bool hasIcon() const { return !m_icon.isNull(); }

private:
    bool m_hostAvailable = true;
    bool m_shown = false;
    int m_showCount = 0;
    int m_availabilityChecks = 0;
    QString m_tip;
    QStringList m_tips;
    QIcon m_icon;
    QMenu* m_menu = nullptr;
};

} // namespace platform
