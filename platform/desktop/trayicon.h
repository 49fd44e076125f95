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

} // namespace platform
