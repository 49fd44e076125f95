#include "platform/controls/hostwindow.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {
namespace {

xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

std::optional<quint32> parseWindowId(const QString& text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    const qulonglong id = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        ? trimmed.mid(2).toULongLong(&ok, 16)
        : trimmed.toULongLong(&ok, 10);
    if (!ok || id == 0 || id > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<quint32>(id);
}

std::optional<QSize> foreignWindowSize(quint32 windowId)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, windowId),
                                                             &error);
    std::free(error);
    if (!reply)
        return std::nullopt;
    const QSize size(reply->width, reply->height);
    std::free(reply);
    return size;
}

bool embedIntoForeignWindow(QWidget* widget, quint32 windowId)
{
    if (!x11Connection())
        return false;
    QWindow* host = QWindow::fromWinId(windowId);
    if (!host)
        return false;
    // The foreign window object lives as long as the program: the widget's
    // native window is its child from here on.
    widget->setAttribute(Qt::WA_NativeWindow);
    widget->winId();
    widget->windowHandle()->setParent(host);
    widget->move(0, 0);
    widget->show();
    return true;
}

} // namespace platform
