#include "mainwindow/form1.h"

#include "reminders/reminderdesk.h"

void Form1::wireReminders()
{
    reminderDesk().attach(this);
    setReminders(&reminderDesk());
    enableCommand(QStringLiteral("addrem_1"), &Form1::addrem_1_Click);
    enableCommand(QStringLiteral("addrem_2"), &Form1::addrem_2_Click);
}

void Form1::addrem_1_Click() { reminderDesk().addReminder(); }

void Form1::addrem_2_Click() { reminderDesk().openEditor(); }
