#pragma once

#include <QString>

#include <functional>

class Form7;

namespace reminders {

// Opens a new "Vantora - Automatic Message" notice (the reminder notice's
// automatic-message mode) showing `message` (CR LF or LF line breaks), read
// only, with one enabled toolbar button "Close". Several can be open at once;
// each deletes itself when closed.
//
// When the notice closes, whichever way (its "Close" button, its frame, a
// reset of the program), the main window's busy animation (Timer8) is
// stopped with StopTimer8 if it is running, and then `onClosed` runs, once.
// A command that leaves the animation running until the user has read the
// notice (the station-list news check) therefore needs no callback of its own.
//
// Returns the window (it is already shown); keep it in a QPointer, as it
// deletes itself.
Form7* showAutomaticMessage(const QString& message, std::function<void()> onClosed = {});

} // namespace reminders
