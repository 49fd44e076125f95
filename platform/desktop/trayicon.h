#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;

namespace platform {

// The program's icon in the notification area, with its tip text and the
// pointer events the program reacts to.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    ~TrayIcon() override = default;

    // Whether a notification area exists now to hold the icon. May cost a
    // round trip to the desktop (several milliseconds): callers poll it sparingly.
    virtual bool isHostAvailable() = 0;
    // Puts the icon into the notification area, anew: an icon made before a
    // host appeared is never bound to it, so this replaces it.
    virtual void showIcon(const QIcon& icon, const QString& tip) = 0;
    virtual void hideIcon() = 0;
    virtual bool isIconShown() const = 0;
    virtual void setToolTip(const QString& tip) = 0;
    virtual QString toolTip() const = 0;
    // The menu the icon opens (a right click); nullptr for none.
    virtual void setContextMenu(QMenu* menu) = 0;

signals:
    // A button was released over the icon (any button but the middle one).
    void released();
    // A double click on the icon (XEmbed trays only).
    void doubleClicked();
    // A middle click (the D-Bus trays' stand-in for a double click).
    void middleClicked();
};

TrayIcon& trayIcon();
// Replaces the tray icon; nullptr restores the real one (QSystemTrayIcon).
void setTrayIcon(TrayIcon* icon);

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
