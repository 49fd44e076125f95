#include "mainwindow/form1.h"

#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "compat/win32/colors.h"
#include "platform/media/sound.h"

#include <QAction>
#include <QLabel>

namespace {

constexpr quint32 kAlarmOnColour = 0x0000FF;
constexpr quint32 kAlarmOffColour = 0x0000C0;

} // namespace

QString Form1::parseAlarmInput(const QString& answer)
{
    QString digits;
    for (const QChar c : answer) {
        if (c == QLatin1Char(':'))
            continue;
        if (!c.isDigit() || c.digitValue() < 0 || c.digitValue() > 9)
            return {};
        digits.append(c);
    }
    if (digits.size() < 3 || digits.size() > 4)
        return {};
    digits = digits.rightJustified(4, QLatin1Char('0'));
    const int hours = digits.left(2).toInt();
    const int minutes = digits.right(2).toInt();
    if (hours > 23 || minutes > 59)
        return {};
    return digits.left(2) + QLatin1Char(':') + digits.right(2);
}

void Form1::alar_Click()
{
    RegOptions(1);
    const QString kept = AlarmTimeText;
    for (;;) {
        const QString answer = platform::dialogs().inputBox(
            QStringLiteral("Type the Alarm Time.\r\nRespect the format hh:mm"), QStringLiteral("Vantora"),
            AlarmTimeText);
        if (answer.isEmpty()) {
            AlarmTimeText = kept;
            return;
        }
        const QString accepted = parseAlarmInput(answer);
        if (!accepted.isEmpty()) {
            AlarmTimeText = accepted;
            break;
        }
        platform::dialogs().msgBox(QStringLiteral("Invalid Time Format"), platform::mb::Critical,
                                   QStringLiteral("Vantora"));
        AlarmTimeText = kept;
    }
    AlarmOn = true;
    RegOptions(2);
    RegOptions(3);
    AlSet();
}

void Form1::applyAlarmDisplay()
{
    alarmbeep->setChecked(AlarmOn);
    alarmbeep->setText(AlarmOn ? QStringLiteral("Disable Alarm") : QStringLiteral("Enable Alarm"));
    Image2->setVisible(AlarmOn);
    Label3->setText(AlarmOn ? QStringLiteral("Alarm  ") + AlarmTimeText : QStringLiteral("Alarm Disabled"));
    QPalette pal = Label3->palette();
    pal.setColor(QPalette::WindowText, platform::fromBgr(AlarmOn ? kAlarmOnColour : kAlarmOffColour));
    Label3->setPalette(pal);
}

void Form1::AlSet()
{
    applyAlarmDisplay();
    // Switching the alarm off also ends its ringing or its snooze.
    if (!AlarmOn && (Timer3.isEnabled() || Timer4.isEnabled() || Timer5.isEnabled()))
        stopalarm_Click();
}

void Form1::alarmbeep_Click()
{
    RegOptions(1);
    AlarmOn = !AlarmOn;
    AlSet();
    RegOptions(2);
    RegOptions(3);
}

void Form1::PlayAl()
{
    if (AlarmChoice == 1)
        platform::soundPlayer().playMemory(WavAlarm1);
    else if (AlarmChoice == 2)
        platform::soundPlayer().playMemory(WavAlarm2);
}

void Form1::Timer3_Timer()
{
    if (m_radio)
        m_radio->setAlarmMute(true);
    AlarmActive = true;
    Timer2.setEnabled(false);
    Timer4.setEnabled(true);
    stopalarm->setEnabled(true);
    snoozealarm->setEnabled(true);
    platform::doEvents();
    PlayAl();
}

void Form1::startRadioWakeUp()
{
    if (DefaultRadio < 0 || DefaultRadio > 12)
        return;
    // An empty slot has nothing to wake the user with.
    if (StationURL[static_cast<size_t>(DefaultRadio)].isEmpty())
        return;
    RadioWindow* radio = showStation(DefaultRadio);
    if (!radio)
        return;
    // With auto-play on, showing the window has started it already.
    if (!radio->webcamOn())
        radio->Image1_Click();
    radio->setAlarmMute(true);
}

void Form1::Timer4_Timer()
{
    Timer3.setEnabled(false);
    Timer4.setEnabled(false);
    AlarmActive = false;
    Snoozed = true;
    if (snoozealarm->isEnabled())
        snoozealarm->setEnabled(false);
    Image5->setToolTip(QStringLiteral("Alarm will reactivate"));
    Timer5.setEnabled(true);
    Timer6.setEnabled(true);
    if (m_radio)
        m_radio->setAlarmMute(false);
}

void Form1::Timer5_Timer()
{
    ++SnoozeCount;
    if (SnoozeCount == SnoozeLength - 1) {
        Timer5.setInterval(59000);
        Image5->setToolTip(QStringLiteral("Alarm in less than 1 minute"));
    } else {
        Timer5.setInterval(60000);
        Image5->setToolTip(QStringLiteral("Alarm in less than %1 minutes").arg(SnoozeLength - SnoozeCount));
    }
    if (SnoozeCount == SnoozeLength) {
        Timer5.setInterval(60000);
        SnoozeCount = 0;
        Timer5.setEnabled(false);
        Timer6.setEnabled(false);
        Image4->setVisible(false);
        Timer3.setEnabled(true);
    }
}

void Form1::Timer6_Timer() { Image4->setVisible(!Image4->isVisible()); }

void Form1::snoozealarm_Click()
{
    Timer4_Timer();
    RegOptions(1);
}

void Form1::SN()
{
    if (snoozealarm->isEnabled())
        snoozealarm_Click();
}

void Form1::stopalarm_Click()
{
    Timer4_Timer();
    Timer5.setEnabled(false);
    Timer5.setInterval(60000);
    Timer6.setEnabled(false);
    Image4->setVisible(false);
    Image5->setToolTip(QString());
    stopalarm->setEnabled(false);
    snoozealarm->setEnabled(false);
    Snoozed = false;
    // A stopped alarm starts its next snooze from the full length again.
    SnoozeCount = 0;
    platform::soundPlayer().stop();
    RegOptions(1);
}
