#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace platform {

// Message box styles and answers, with the values the program's callers use.
namespace mb {
// Buttons
constexpr int OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5;
// Icons
constexpr int Critical = 16, Question = 32, Exclamation = 48, Information = 64;
// Default button
constexpr int DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512;
// Answers
constexpr int Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;
constexpr int ButtonsMask = 0x0F;
constexpr int IconMask = 0xF0;
constexpr int DefaultMask = 0xF00;
} // namespace mb

// Modal message and input boxes.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows a message box; style combines mb::Buttons, mb::Icon and mb::Default.
    // Returns the mb::Answer of the button pressed.
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;

    // Shows an input box; returns the text entered, or "" when cancelled.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
};

Dialogs& dialogs();
// Replaces the dialogs; nullptr restores the default ones.
void setDialogs(Dialogs* d);
// The real boxes, shown on the screen.
Dialogs& screenDialogs();
// What setDialogs(nullptr) restores: the real boxes unless another set is
// given here (a test program gives a scripted set, so that no box it did not
// expect waits for a click). nullptr makes it the real boxes again.
void setDefaultDialogs(Dialogs* d);

// The answer a box gives when its default button is taken (Enter).
int defaultAnswer(int style);

} // namespace platform
