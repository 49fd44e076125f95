#include "mainwindow/form1.h"

#include "mainwindow/form1shape.h"

#include "core/datalist.h"
#include "core/mainwin.h"
#include "core/registrymod.h"
#include "core/sysmod.h"
#include "core/windowplace.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/frmeula.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "compat/win32/colors.h"
#include "platform/media/sound.h"
#include "compat/vb/conversions.h"
#include "compat/vb/formats.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"
#include "compat/win32/registry.h"
#include "resources/resourceids.h"
#include "resources/resources.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

namespace {

using platform::kOptions;
const QString kRunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");

QString readOption(const QString& key, const QString& defaultValue)
{
    return platform::getSetting(kOptions, key, defaultValue);
}

bool readBool(const QString& key, bool defaultValue)
{
    return platform::toBool(readOption(key, platform::boolText(defaultValue)));
}

qint16 readInt16(const QString& key, const QString& defaultValue)
{
    return platform::toInt16(readOption(key, defaultValue));
}

// The window's stored Left and Top must be numbers: other text raises the
// type mismatch, as it does for every option. A number beyond the single
// range is damage that only centres the window.
void requireNumber(const QString& twips)
{
    try {
        platform::toSingle(twips);
    } catch (const platform::RuntimeError& e) {
        if (e.number() != platform::RuntimeError::Overflow)
            throw;
    }
}

} // namespace

// ---- The option store ----

void Form1::writeOption(const QString& key, const QString& value) { platform::saveSetting(kOptions, key, value); }

void Form1::DefRadioName(qint16 slot) { TempNam = DataList::factoryName(slot); }
void Form1::DefRadioURL(qint16 slot) { TempURL = DataList::factoryURL(slot); }

void Form1::RegOptions(qint16 index)
{
    switch (index) {
    case 0:
        for (int i = 1; i <= 12; ++i) {
            const auto slot = static_cast<size_t>(i);
            if (StationName[slot].isEmpty() || StationURL[slot].isEmpty())
                continue;
            writeOption(platform::optionkeys::stationUrl(i), StationURL[slot]);
            writeOption(platform::optionkeys::stationName(i), StationName[slot]);
        }
        return;
    case 1:
        windowplace::store(this, QStringLiteral("F1Left"), QStringLiteral("F1Top"));
        // The pointer asks often: the tip is made again when the date changed.
        if (const QDate today = platform::clock().now().date(); today != m_tipDate) {
            m_tipDate = today;
            setToolTip(platform::formatDateTime(platform::clock().now(), QStringLiteral("dddd dd mmmm yyyy")));
        }
        return;
    case 2: writeOption(QStringLiteral("AlarmTime"), AlarmTimeText); return;
    case 3: writeOption(QStringLiteral("Alarmsound"), platform::boolText(AlarmOn)); return;
    case 4: writeOption(QStringLiteral("AlarmChoice"), platform::intText(AlarmChoice)); return;
    case 5: writeOption(QStringLiteral("BeepHours"), platform::boolText(BeepHoursOn)); return;
    case 6: writeOption(QStringLiteral("Form1OnTop"), platform::boolText(Form1OnTop)); return;
    case 7: writeOption(platform::optionkeys::kDefaultRadio, platform::intText(DefaultRadio)); return;
    case 8:
        for (int i = 1; i <= 12; ++i) {
            writeOption(platform::optionkeys::stationUrl(i), StationURL[static_cast<size_t>(i)]);
            writeOption(platform::optionkeys::stationName(i), StationName[static_cast<size_t>(i)]);
        }
        return;
    case 9: writeOption(QStringLiteral("AlarmRadio"), platform::boolText(AlarmRadio)); return;
    case 10: writeOption(QStringLiteral("AutoPla"), platform::boolText(AutoPla)); return;
    case 11: writeOption(QStringLiteral("Rpeat"), platform::boolText(Rpeat)); return;
    case 12: writeOption(QStringLiteral("Shuffl"), platform::boolText(Shuffl)); return;
    default: return;
    }
}

void Form1::LoadOptions(qint16 index)
{
    switch (index) {
    case 0:
        for (qint16 i = 1; i <= 12; ++i) {
            DefRadioName(i);
            DefRadioURL(i);
            StationName[static_cast<size_t>(i)] = readOption(platform::optionkeys::stationName(i), TempNam);
            StationURL[static_cast<size_t>(i)] = readOption(platform::optionkeys::stationUrl(i), TempURL);
        }
        DefaultRadio = platform::toInt16(DefStation);
        RegOptions(8);
        return;
    case 1:
        requireNumber(readOption(QStringLiteral("F1Left"), QStringLiteral("0")));
        requireNumber(readOption(QStringLiteral("F1Top"), QStringLiteral("0")));
        move(windowplace::stored(QStringLiteral("F1Left"), QStringLiteral("F1Top"), size()));
        return;
    case 2: AlarmTimeText = readOption(QStringLiteral("AlarmTime"), QStringLiteral("00:00")); return;
    case 3:
        AlarmOn = readBool(QStringLiteral("Alarmsound"), false);
        applyAlarmDisplay();
        return;
    case 4:
        AlarmChoice = readInt16(QStringLiteral("AlarmChoice"), QStringLiteral("1"));
        al1->setChecked(AlarmChoice == 1);
        al2->setChecked(AlarmChoice == 2);
        AlarmRadio = readBool(QStringLiteral("AlarmRadio"), true);
        return;
    case 5:
        BeepHoursOn = readBool(QStringLiteral("BeepHours"), false);
        beephour->setChecked(BeepHoursOn);
        Image3->setVisible(BeepHoursOn);
        return;
    case 6:
        Form1OnTop = readBool(QStringLiteral("Form1OnTop"), true);
        alwvis->setChecked(Form1OnTop);
        SetOnTop(this, Form1OnTop ? -1 : 0);
        return;
    case 7:
        DefaultRadio = readInt16(platform::optionkeys::kDefaultRadio, DefStation);
        // A station number outside the table reads as the factory default.
        if (DefaultRadio < 1 || DefaultRadio > 12)
            DefaultRadio = platform::toInt16(DefStation);
        return;
    case 8:
        for (int i = 1; i <= 12; ++i) {
            StationName[static_cast<size_t>(i)] = readOption(platform::optionkeys::stationName(i), QString());
            StationURL[static_cast<size_t>(i)] = readOption(platform::optionkeys::stationUrl(i), QString());
        }
        RegOptions(8);
        return;
    case 9:
        AlarmRadio = readBool(QStringLiteral("AlarmRadio"), true);
        radalarm->setChecked(AlarmRadio);
        Image8->setVisible(AlarmRadio);
        return;
    case 10:
        AutoPla = readBool(QStringLiteral("AutoPla"), true);
        autopl->setChecked(AutoPla);
        return;
    case 11:
        Rpeat = readBool(QStringLiteral("Rpeat"), false);
        repeatmp3->setChecked(Rpeat);
        return;
    case 12:
        Shuffl = readBool(QStringLiteral("Shuffl"), false);
        shufflemp3->setChecked(Shuffl);
        return;
    default: return;
    }
}

void Form1::storeWindowOptions()
{
    if (!m_loadCompleted)
        return;
    const platform::SettingsReadScope oneLook;
    const platform::SettingsBatch oneWrite;
    RegOptions(1);
}

// ---- Date ----

void Form1::showDateText()
{
    Label6->setText(platform::formatDateTime(
        platform::clock().now(), LongDat ? QStringLiteral("dddd dd mmmm yyyy") : QStringLiteral("ddd dd mmm yyyy")));
    updateClockText();
}

void Form1::DatFormSet()
{
    LongDat = readBool(QStringLiteral("LongDat"), true);
    showDateText();
    Datform->setChecked(LongDat);
}

void Form1::Datform_Click()
{
    LongDat = !LongDat;
    showDateText();
    Datform->setChecked(LongDat);
    writeOption(QStringLiteral("LongDat"), platform::boolText(LongDat));
}

void Form1::SetDateOption()
{
    DispDatOn = readBool(QStringLiteral("DispDat"), true);
    DispDat->setChecked(DispDatOn);
    Label6->setVisible(DispDatOn);
    updateClockText();
}

void Form1::DispDat_Click()
{
    DispDatOn = !DispDatOn;
    DispDat->setChecked(DispDatOn);
    writeOption(QStringLiteral("DispDat"), platform::boolText(DispDatOn));
    Label6->setVisible(DispDatOn);
    updateClockText();
    SetTZ();
}

// ---- Seconds flash ----

void Form1::FlashSet()
{
    FlashSec = readBool(QStringLiteral("FlashSec"), true);
    Flsh->setChecked(FlashSec);
    picSegment[7]->setVisible(FlashSec);
}

void Form1::Flsh_Click()
{
    FlashSec = !FlashSec;
    Flsh->setChecked(FlashSec);
    writeOption(QStringLiteral("FlashSec"), platform::boolText(FlashSec));
    if (!FlashSec) {
        m_flashEndsMs.reset();
        m_flashColon->setPicture(colonPicture(resid::BmpColonRest));
    }
    picSegment[7]->setVisible(FlashSec);
}

// ---- Hourly beep, sounds, radio alarm, player options ----

void Form1::beephour_Click()
{
    RegOptions(1);
    BeepHoursOn = !BeepHoursOn;
    beephour->setChecked(BeepHoursOn);
    Image3->setVisible(BeepHoursOn);
    RegOptions(5);
}

void Form1::al_Click(qint16 choice)
{
    platform::soundPlayer().playMemory(choice == 1 ? WavAlarm1 : WavAlarm2);
    AlarmChoice = choice;
    al1->setChecked(choice == 1);
    al2->setChecked(choice == 2);
    RegOptions(4);
}

void Form1::radalarm_Click()
{
    AlarmRadio = !AlarmRadio;
    radalarm->setChecked(AlarmRadio);
    Image8->setVisible(AlarmRadio);
    RegOptions(9);
}

void Form1::autopl_Click()
{
    AutoPla = !AutoPla;
    autopl->setChecked(AutoPla);
    RegOptions(10);
}

void Form1::repeatmp3_Click()
{
    Rpeat = !Rpeat;
    repeatmp3->setChecked(Rpeat);
    if (m_radio && m_radio->playerVisible())
        m_radio->RepShu();
    RegOptions(11);
}

void Form1::shufflemp3_Click()
{
    Shuffl = !Shuffl;
    shufflemp3->setChecked(Shuffl);
    RegOptions(12);
    if (m_radio && m_radio->playerVisible())
        m_radio->RepShu();
}

// ---- Always visible ----

void Form1::alwvis_Click()
{
    RegOptions(1);
    Form1OnTop = !Form1OnTop;
    // Stored now, like every other option: the ten-second store may not come
    // before the program ends.
    RegOptions(6);
    SetOnTop(this, Form1OnTop ? -1 : 0);
    alwvis->setChecked(Form1OnTop);
    if (m_radio && m_radio->FormActive())
        m_radio->ExtOntop();
}

void Form1::ExtOntopmain()
{
    RegOptions(1);
    SetOnTop(this, Form1OnTop ? -1 : 0);
    alwvis->setChecked(Form1OnTop);
}

// ---- Start with the system ----

void Form1::writeRunValue(bool on)
{
    Registry::SetKeyValue(platform::HKEY_LOCAL_MACHINE, kRunKey, QStringLiteral("Vantora"),
                          on ? platform::executablePath() : QString(), platform::REG_SZ);
}

void Form1::mnuAutoRun_Click()
{
    const bool turnOn = !AutoRunOn;
    writeRunValue(turnOn);
    writeOption(QStringLiteral("AddToReg"), turnOn ? QStringLiteral("1") : QStringLiteral("0"));
    AutoRunOn = turnOn;
    mnuAutoRun->setChecked(AutoRunOn);
}

void Form1::AddToReg()
{
    qint32 stored = 1;
    try {
        stored = platform::toInt32(readOption(QStringLiteral("AddToReg"), QStringLiteral("1")));
    } catch (const platform::RuntimeError&) {
        // A damaged value counts as the default.
        stored = 1;
    }
    AutoRunOn = stored == 1;
    writeRunValue(AutoRunOn);
    mnuAutoRun->setChecked(AutoRunOn);
}

// ---- Time synchronisation and update options ----

void Form1::SetLogNTP()
{
    LogSync = readBool(QStringLiteral("LogSync"), true);
    LogNTP->setChecked(LogSync);
}

void Form1::LogNTP_Click()
{
    LogSync = !LogSync;
    LogNTP->setChecked(LogSync);
    writeOption(QStringLiteral("LogSync"), platform::boolText(LogSync));
}

QString Form1::syncTimeText() const
{
    return SyncDigit[1] + SyncDigit[2] + QLatin1Char(':') + SyncDigit[3] + SyncDigit[4] + QLatin1Char(':')
        + SyncDigit[5] + SyncDigit[6];
}

void Form1::setSyncTooltips(const QString& text)
{
    Image10->setToolTip(text);
    Image11->setToolTip(text);
}

void Form1::SetNTPASync()
{
    NTPASync->setChecked(NetAutoSync);
    setSyncTooltips(NetAutoSync ? QStringLiteral("NTP Auto-Sync On - Next at ") + syncTimeText()
                                : QStringLiteral("NTP Auto-Sync Off"));
    applyBlinkTimer();
}

void Form1::NTPASync_Click()
{
    NetAutoSync = !NetAutoSync;
    if (NetAutoSync) {
        for (int i = 1; i <= 6; ++i)
            SyncDigit[static_cast<size_t>(i)] = readOption(platform::optionkeys::syncDigit(i), QStringLiteral("0"));
    }
    SetNTPASync();
    writeOption(platform::optionkeys::kNetAutoSync, platform::boolText(NetAutoSync));
    if (m_timeServer && m_timeServer->isVisible())
        m_timeServer->setMessAuto();
}

void Form1::setUpdateTooltips(const QString& text)
{
    m_updateTooltipStale = true; // set by someone else than the daily test
    Image12->setToolTip(text);
    Image14->setToolTip(text);
}

void Form1::SetmnuVNUpAuto()
{
    VNNetAutoSync = readBool(QStringLiteral("VNNetAutoSync"), true);
    applyUpdateOption();
}

void Form1::applyUpdateOption()
{
    mnuVNUpAuto->setChecked(VNNetAutoSync);
    if (VNNetAutoSync)
        setUpdateTooltips(QStringLiteral("VN Auto-Update On - Next at ")
                          + platform::formatNumberPattern(
                              readOption(platform::optionkeys::kNextAutoSyncTime, QStringLiteral("000000")),
                              QStringLiteral("00:00:00")));
    else
        setUpdateTooltips(QStringLiteral("VN Auto-Update Off"));
    applyBlinkTimer();
}

void Form1::mnuVNUpAuto_Click()
{
    if (!VNNetAutoSync)
        UpdateCountdownStart = platform::secondsSinceMidnight();
    VNNetAutoSync = !VNNetAutoSync;
    writeOption(QStringLiteral("VNNetAutoSync"), platform::boolText(VNNetAutoSync));
    applyUpdateOption();
}

// ---- Menu opening and label clicks ----

void Form1::tools_Click() { refreshScreenSaverItems(); }

void Form1::Label3_Click() { alar_Click(); }

void Form1::Resetall_Click()
{
    const int answer = platform::dialogs().msgBox(
        QStringLiteral("This action will reset all your settings\r\nto default [Vantora] settings.\r\n\r\n"
                       "Are you sure you want to continue ?\r\n"),
        platform::mb::YesNo | platform::mb::Question | platform::mb::DefaultButton2, QStringLiteral("Vantora"));
    if (answer != platform::mb::Yes) {
        show();
        return;
    }
    // The reset unloads this window: run it once this handler has returned.
    QTimer::singleShot(0, [] { MainWin::ResetAll(); });
}

void Form1::sEula_Click()
{
    frmEULA2* viewer = appWindows().licenceViewer();
    viewer->ReadEula();
    viewer->show();
}
