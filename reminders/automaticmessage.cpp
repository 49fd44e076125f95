#include "reminders/automaticmessage.h"

#include "reminders/reminderdesk.h"

namespace reminders {

Form7* showAutomaticMessage(const QString& message, std::function<void()> onClosed)
{
    return reminderDesk().showAutomaticMessage(message, std::move(onClosed));
}

} // namespace reminders
