#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

// Remembered window positions: a window's Left and Top under two keys of
// section "Options", each the text of a single-precision number of twips.
namespace windowplace {

// The corner that centres a window of this size on the primary screen:
// ((screen width - window width) / 2, (screen height - window height) / 2).
QPoint centred(QSize size);

// Where a window of this size goes: its stored Left and Top. A missing key
// (or an empty value) gives that coordinate of the centred position; a value
// that is not a usable number (not numeric, not finite, far beyond any screen)
// or a place that shows no part of the window on any screen gives the centred
// position.
QPoint stored(const QString& leftKey, const QString& topKey, QSize size);

// Stores the window's Left and Top.
void store(const QWidget* window, const QString& leftKey, const QString& topKey);

} // namespace windowplace
