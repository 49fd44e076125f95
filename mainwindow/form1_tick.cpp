#include "mainwindow/form1.h"

#include "mainwindow/form1shape.h"

#include "platform/base/clock.h"
#include "platform/base/runningstep.h"
#include "widgets/leddigit.h"
#include "platform/media/sound.h"
#include "compat/vb/conversions.h"
#include "compat/vb/formats.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"
#include "resources/resourceids.h"
#include "resources/resources.h"

#include <QFile>
#include <QLabel>

namespace {

using platform::kOptions;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kFirstUpdateDelay = 600.0;
constexpr int kFlashMs = 250;
constexpr int kFirstBlinkMs = 600;
constexpr int kBlinkLongMs = 800;
constexpr int kBlinkShortMs = 400;
// The blink's changes fall on the fifths of a second, so that some of them
// meet a wake-up that comes anyway (a new second, the flash's end); one may
// wait this long for such a wake-up, which nobody can see.
constexpr int kBlinkGridMs = 200;
constexpr qint64 kBlinkSlackMs = 50;

// The time as "hh?mm?ss" with `separator` in place of each "?".
QString timeText(const QTime& t, QLatin1Char separator)
{
    const std::array<int, 3> parts{t.hour(), t.minute(), t.second()};
    QString text(8, separator);
    for (size_t i = 0; i < parts.size(); ++i) {
        text[3 * i] = QLatin1Char(char('0' + parts[i] / 10));
        text[3 * i + 1] = QLatin1Char(char('0' + parts[i] % 10));
    }
    return text;
}

using platform::optionkeys::syncDigit;

// The alarm time "hh:mm" as the "hh:mm:ss" it rings at; empty when it is not a time.
QString alarmSecondText(const QString& alarmTime)
{
    const QTime t = QTime::fromString(alarmTime.trimmed(), QStringLiteral("H:m"));
    return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : QString();
}

} // namespace

// Each step runs in its own error boundary: a damaged setting or a failing
// neighbour ends that step only, so the alarm, the store and the beep still
// run. The tick that the load runs lets a type mismatch through to the load,
// which then offers the settings reset.
template <typename Step>
void Form1::runTickStep(Step step)
{
    try {
        step();
    } catch (const platform::RuntimeError& e) {
        if (m_tickInsideLoad && e.number() == platform::RuntimeError::TypeMismatch)
            throw;
    } catch (const std::exception&) {}
}

void Form1::Timer1_Timer()
{
    // The tick lets window events run: a reset asked for meanwhile waits for its end.
    const platform::RunningStep step;
    NowTime = platform::clock().now();
    runDueMoments();
    // The display changes once a second: a tick within a second already
    // handled has nothing more to do.
    scheduleNextWake(NowTime);
    const TickSecond second = currentSecond();
    if (second.sameAs(m_tickedSecond) && !m_tickInsideLoad)
        return;
    m_tickedSecond = second;
    const platform::SettingsReadScope oneLook;
    const QTime time = NowTime.time();
    const QString T = timeText(time, QLatin1Char(' '));
    const QString tnow = timeText(time, QLatin1Char(':'));
    static constexpr std::array<int, 7> kPositions{0, 0, 1, 3, 4, 6, 7};
    for (int i = 1; i <= 6; ++i)
        DigitNow[static_cast<size_t>(i)] = T.mid(kPositions[static_cast<size_t>(i)], 1);
    ExportHeur = tnow;

    // Whatever a step throws, the digits shown are recorded for the next tick.
    struct RecordShownDigits {
        Form1* w;
        ~RecordShownDigits()
        {
            for (int i = 1; i <= 6; ++i)
                w->DigitShown[static_cast<size_t>(i)] = w->DigitNow[static_cast<size_t>(i)];
        }
    } record{this};

    runTickStep([this] { showChangedDigits(); });
    runTickStep([this] { flashSeconds(); });
    runTickStep([this] { showDateIfChanged(); });
    runTickStep([this] { showZoneTimes(); });
    runTickStep([this] { refreshSyncDigits(); });
    runTickStep([this] { startDailyTimeSync(); });
    runTickStep([this, &tnow] { checkAlarmTime(tnow); });
    runTickStep([] { platform::doEvents(); });
    runTickStep([this] { countDownUpdateCheck(); });
    runTickStep([this] { storeOptionsEveryTenSeconds(); });
    runTickStep([this] { showDueReminders(); });
    runTickStep([this] { beepOnTheHour(); });
    runTickStep([this] { refreshTray(); });
    emit secondShown();
}

void Form1::showChangedDigits()
{
    bool changed = false;
    for (int i = 1; i <= 6; ++i) {
        if (digitChanged(i)) {
            LED1[static_cast<size_t>(i - 1)]->setValue(static_cast<qint16>(DigitNow[static_cast<size_t>(i)].toInt()));
            changed = true;
        }
    }
    if (changed)
        updateClockText();
}

void Form1::runDueMoments()
{
    const qint64 now = platform::clock().monotonicMs();
    if (m_flashEndsMs && *m_flashEndsMs <= now)
        Timer9_Timer();
    if (m_blinkDueMs && *m_blinkDueMs <= now)
        Timer10_Timer();
}

void Form1::scheduleNextWake() { scheduleNextWake(platform::clock().now()); }

void Form1::scheduleNextWake(const QDateTime& wallNow)
{
    const qint64 now = platform::clock().monotonicMs();
    qint64 wait = platform::msToNextSecond(wallNow);
    if (m_flashEndsMs)
        wait = std::min(wait, *m_flashEndsMs - now);
    // A blink change waits for a wake-up that comes a little later anyway.
    if (m_blinkDueMs && *m_blinkDueMs - now + kBlinkSlackMs < wait)
        wait = *m_blinkDueMs - now;
    Timer1.setInterval(static_cast<int>(std::max<qint64>(wait, 1)));
}

void Form1::flashSeconds()
{
    if (!FlashSec || !digitChanged(6))
        return;
    m_flashColon->setPicture(colonPicture(resid::BmpColonLit));
    // It goes out at the second's quarter, where the blink may meet it; a tick
    // that came late still lights it for half as long at least.
    const int late = NowTime.time().msec();
    m_flashEndsMs = platform::clock().monotonicMs() + std::max(kFlashMs - late, kFlashMs / 2);
    scheduleNextWake(NowTime);
}

void Form1::showDateIfChanged()
{
    const QDate today = NowTime.date();
    if (today == LastDate)
        return;
    showDateText();
    LastDate = today;
}

void Form1::refreshSyncDigits()
{
    if (!(digitChanged(6) && DigitNow[5] == QLatin1String("0") && DigitNow[6] == QLatin1String("0")))
        return;
    for (int i = 1; i <= 6; ++i) {
        SyncDigit[static_cast<size_t>(i)] = platform::getSetting(kOptions, syncDigit(i), QStringLiteral("0"));
        SetNTPASync();
    }
}

void Form1::startDailyTimeSync()
{
    if (!NetAutoSync || !m_timeServer || m_timeServer->isVisible())
        return;
    for (int i = 1; i <= 6; ++i)
        if (platform::getSetting(kOptions, syncDigit(i), QStringLiteral("0")) != DigitNow[static_cast<size_t>(i)])
            return;
    m_timeServer->StartNTP(-1);
    platform::doEvents();
}

void Form1::checkAlarmTime(const QString& tnow)
{
    if (!AlarmOn || alarmSecondText(AlarmTimeText) != tnow)
        return;
    // Any tick of the alarm's second may start it, but only once: a Stop
    // pressed within that second must not be undone by the next tick.
    const TickSecond second = currentSecond();
    if (second.sameAs(m_alarmStartedAt))
        return;
    m_alarmStartedAt = second;
    Timer3.setEnabled(true);
    if (AlarmRadio && !(m_radio && m_radio->isVisible()))
        startRadioWakeUp();
}

void Form1::countDownUpdateCheck()
{
    if (VNNetAutoSync && VNNetAutoSync2 && !ActuSyncVN) {
        const double due = UpdateCountdownStart + kFirstUpdateDelay;
        double s = platform::secondsSinceMidnight();
        if (s < UpdateCountdownStart)
            s += kSecondsPerDay; // the countdown runs across midnight
        if (s < due) {
            setUpdateTooltips(QStringLiteral("VN Auto-Update On - Next in ")
                              + QString::number(static_cast<qint64>(due - s)) + QStringLiteral(" sec"));
            return;
        }
        setUpdateTooltips(QStringLiteral("VN Auto-Updating..."));
        VNNetAutoSync2 = false;
        m_updateCheckedAt = currentSecond();
        NextUpdateTime = platform::formatDateTime(NowTime, QStringLiteral("hhmmss"));
        platform::saveSetting(kOptions, platform::optionkeys::kNextAutoSyncTime, NextUpdateTime);
        SetmnuVNUpAuto();
        AutoChckUpdt();
        setUpdateTooltips(QStringLiteral("VN Auto-Update On - Next at ")
                          + platform::formatNumberPattern(NextUpdateTime, QStringLiteral("00:00:00")));
        return;
    }
    dailyUpdateCheck();
}

Form1::TickSecond Form1::currentSecond() const
{
    constexpr qint64 kSecondsPerDayWhole = 86400;
    return {NowTime.date().toJulianDay() * kSecondsPerDayWhole + NowTime.time().msecsSinceStartOfDay() / 1000,
            platform::clock().monotonicMs()};
}

void Form1::dailyUpdateCheck()
{
    if (!VNNetAutoSync || VNNetAutoSync2 || ActuSyncVN)
        return;
    const QString stored = platform::getSetting(kOptions, platform::optionkeys::kNextAutoSyncTime,
                                                QStringLiteral("000000"));
    // The tooltip changes once a day: it is rebuilt only when its time does.
    if (stored != NextUpdateTime || m_updateTooltipStale) {
        NextUpdateTime = stored;
        setUpdateTooltips(QStringLiteral("VN Auto-Update On - Next at ")
                          + platform::formatNumberPattern(NextUpdateTime, QStringLiteral("00:00:00")));
        m_updateTooltipStale = false;
    }
    // The second of the first check is stored as the daily time: the daily
    // test must not run that check again in the remaining ticks of that second.
    if (platform::formatDateTime(NowTime, QStringLiteral("hhmmss")) != NextUpdateTime
        || currentSecond().sameAs(m_updateCheckedAt))
        return;
    VNNetAutoSync = false;
    ActuSyncVN = true;
    SetmnuVNUpAuto();
    AutoChckUpdt();
}

void Form1::storeOptionsEveryTenSeconds()
{
    if (!m_loadCompleted || !digitChanged(6) || DigitNow[6] != QLatin1String("0"))
        return;
    {
        const platform::SettingsBatch oneWrite;
        for (qint16 index = 1; index <= 6; ++index)
            RegOptions(index);
    }
    refreshScreenSaverItems();
}

void Form1::showDueReminders()
{
    if (!digitChanged(6) || !m_reminders || m_reminders->editorVisible() || m_reminders->memoCount() == 0)
        return;
    m_reminders->showDueReminders(NowTime);
}

void Form1::beepOnTheHour()
{
    if (Timer3.isEnabled() || !digitChanged(6))
        return;
    for (int i = 3; i <= 6; ++i)
        if (DigitNow[static_cast<size_t>(i)] != QLatin1String("0"))
            return;
    if (Timer2.isEnabled() || !BeepHoursOn)
        return;
    Timer2.setEnabled(true);
    platform::soundPlayer().playMemory(WavHourBeep);
}

// ---- The small timers ----

void Form1::Timer2_Timer() { Timer2.setEnabled(false); }

void Form1::Timer7_Timer() { Image6->setVisible(!Image6->isVisible()); }

void Form1::StopTimer7()
{
    Timer7.setEnabled(false);
    Image6->setVisible(true);
}

void Form1::Timer8_Timer()
{
    Image9->setVisible(true);
    On_Off = !On_Off;
    ++On_Off_Count;
    Image9->setPixmap(platform::loadBitmap(On_Off ? resid::BmpBusy1 : resid::BmpBusy2));
}

void Form1::StopTimer8()
{
    Timer8.setEnabled(false);
    On_Off = true;
    Image9->setPixmap(platform::loadBitmap(resid::BmpBusyRest));
    Image9->setToolTip(QString());
    Image9->setVisible(false);
}

void Form1::AutoChckUpdt()
{
    On_Off = true;
    Timer8.setEnabled(true);
    Image9->setToolTip(QStringLiteral("Online Updates Check..."));
    if (m_updates)
        m_updates->ChkUpdate(true);
    // A check still under way stops the animation itself when it ends.
    if (!m_updates || !m_updates->checkRunning())
        StopTimer8();
}

void Form1::Timer9_Timer()
{
    m_flashEndsMs.reset();
    m_flashColon->setPicture(colonPicture(resid::BmpColonRest));
}

// The first fifth of a second at least `ms` from now, on the monotonic clock.
qint64 Form1::blinkMomentAfter(int ms)
{
    const int msec = platform::clock().now().time().msec();
    const int due = (msec + ms + kBlinkGridMs - 1) / kBlinkGridMs * kBlinkGridMs;
    return platform::clock().monotonicMs() + (due - msec);
}

void Form1::applyBlinkTimer()
{
    if (!m_blinkAllowed)
        return;
    if (!NetAutoSync && !VNNetAutoSync) {
        m_blinkDueMs.reset();
    } else if (!m_blinkDueMs) {
        m_blinkDueMs = blinkMomentAfter(kFirstBlinkMs);
    }
    scheduleNextWake();
}

void Form1::Timer10_Timer()
{
    if (!NetAutoSync && !VNNetAutoSync) {
        m_blinkDueMs.reset();
        return;
    }
    m_blinkPhase = !m_blinkPhase;
    // Counted from when the change was due, so that the rhythm keeps its place;
    // after a long stall (a suspended computer) it starts again from now.
    const int phase = m_blinkPhase ? kBlinkLongMs : kBlinkShortMs;
    *m_blinkDueMs += phase;
    if (*m_blinkDueMs <= platform::clock().monotonicMs())
        m_blinkDueMs = blinkMomentAfter(phase);
    if (NetAutoSync)
        Image10->setPixmap(platform::loadBitmap(m_blinkPhase ? resid::BmpNtpSync2 : resid::BmpNtpSync1));
    if (VNNetAutoSync)
        Image12->setPixmap(platform::loadBitmap(m_blinkPhase ? resid::BmpUpdate2 : resid::BmpUpdate1));
}

void Form1::Timer11_Timer()
{
    Timer11.setEnabled(false);
    QFile::remove(platform::appPath() + QStringLiteral("/VN.zip"));
}

void Form1::enableHelpCleanup() { Timer11.setEnabled(true); }
