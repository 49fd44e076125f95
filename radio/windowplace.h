#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

// Where a window of the radio was left: two keys of section "Options" holding its
// Left and Top as twips (text of a single-precision number). A missing or damaged
// value puts the window in the middle of the screen.
QPoint storedPosition(const QString& leftKey, const QString& topKey, const QSize& size);
void storePosition(const QWidget* window, const QString& leftKey, const QString& topKey);
