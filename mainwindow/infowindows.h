#pragma once

#include "platform/base/twips.h"

#include <QString>

class Form1;
class QLabel;
class QWidget;

// Helpers shared by the About, history and system-information windows.
namespace infowindows {

using platform::kTwipsPerPixel;

// A label that shows its text as plain text, in Tahoma of the given size and
// the colour &HBBGGRR.
QLabel* makeLabel(QWidget* parent, const QString& name, quint32 colour, int pointSize);
// Fills a window's background with the colour &HBBGGRR.
void setBackground(QWidget* window, quint32 colour);
// Centres a window on the primary screen.
void centre(QWidget* window);
// Applies the main window's keep-on-top choice to a window (on top when
// there is no main window).
void applyOnTop(QWidget* window, const Form1* main);

} // namespace infowindows
