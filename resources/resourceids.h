#pragma once

// Resource ids of the programs' embedded files and pictures, for
// platform::loadResource() and platform::loadBitmap().
namespace resid {

// Resource types.
constexpr char TypeCustom[] = "CUSTOM";
constexpr char TypeBitmap[] = "BITMAP";

// ---- CUSTOM: files carried by the main program ----
constexpr int SoundAlarm1 = 101;   // WAV, alarm sound #1: two-tone beep-beep, ~0.7 s
constexpr int SoundAlarm2 = 102;   // WAV, alarm sound #2: trilled ring, ~0.7 s
constexpr int SoundHourBeep = 103; // WAV, the hourly pip, 0.25 s
constexpr int LicenceText = 104;   // eula.txt, CR LF lines
constexpr int SaverProgram = 105;  // the screensaver program VN, byte for byte
constexpr int HelpArchive = 106;   // VN.zip: "VN.htm" and its folder "VN_files/"

// ---- BITMAP: pictures (PNG), in both programs ----
// Indicator bars, 25 x 7: nothing usable chosen / something usable chosen;
// the reminder notice blinks between them.
constexpr int BmpIndicatorOff = 101;
constexpr int BmpIndicatorOn = 102;
// The colons between the clock's LED digits, 8 x 39, transparent: the seconds
// colon at rest (unlit grey) and lit (cyan), and the fixed hours:minutes colon.
constexpr int BmpColonRest = 103;
constexpr int BmpColonStatic = 104;
constexpr int BmpColonLit = 105;
// The time-server window's computer pictures, 32 x 32: dark screen; green
// (resolving, connecting, connected); red (closed, error); amber (open,
// listening, pending, closing).
constexpr int BmpNtpDark = 106;
constexpr int BmpNtpConnecting = 107;
constexpr int BmpNtpClosed = 108;
constexpr int BmpNtpPending = 109;
// Status pictures of the main window, 16 x 16, transparent, for a dark panel.
constexpr int BmpAlarmOn = 110;     // bell: alarm enabled
constexpr int BmpHourBeep = 111;    // note: hourly beep enabled
constexpr int BmpSnoozeMark = 112;  // "Zz": blinking while snoozed
constexpr int BmpSnoozeClock = 113; // alarm clock: snooze countdown
constexpr int BmpRadio = 114;       // radio: play the default station
constexpr int BmpRadioAlarm = 115;  // radio with bell: radio alarm enabled
constexpr int BmpBusyRest = 116;    // online work: resting picture
constexpr int BmpBusy1 = 117;       // online work: animation frames
constexpr int BmpBusy2 = 118;
constexpr int BmpNtpSync1 = 119; // daily time sync on: blink frames
constexpr int BmpNtpSync2 = 120;
constexpr int BmpUpdate1 = 121; // automatic updates on: blink frames
constexpr int BmpUpdate2 = 122;
// The program's picture for windows and the tray.
constexpr int BmpProgramIcon32 = 130;
constexpr int BmpProgramIcon16 = 131;

} // namespace resid
