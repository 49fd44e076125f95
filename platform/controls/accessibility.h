#pragma once

#include <QString>

class QLabel;
class QWidget;

// What screen readers are told of widgets that Qt cannot describe by itself.
// Each call must come before the widget is first asked about (before it is
// shown): Qt keeps the description it made first.
namespace platform {

// The widget and everything drawn in it read as one text: its accessible
// name, which the owner keeps equal to what it shows (setAccessibleName).
void describeAsOneText(QWidget* widget);

// A picture, named after its tool tip at the moment it is asked about, or
// after `fallbackName` while the tool tip is empty. A picture that acts when
// clicked is a button: pressing it clicks it with the left button.
enum class PictureAction { None, Click };
void describeAsPicture(QWidget* picture, PictureAction action, const QString& fallbackName = {});

// A field named after the caption beside it: the caption is its label, and
// screen readers name it so (lists, which take no label, included).
void nameAfterCaption(QWidget* field, QLabel* caption);

// A transparent area that only repeats a neighbouring picture for the
// pointer (a larger click area, a blink phase): screen readers skip it.
void hideFromScreenReaders(QWidget* widget);

} // namespace platform
