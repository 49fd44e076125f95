#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

class QIODevice;

namespace platform {

// The text form of the settings store: UTF-8 lines, "[section]" headers followed
// by "key=value" lines. Backslash escapes keep every text on one line and keep
// '=' out of keys and ']' out of section names ("\\", "\n", "\r", "\xHH" for
// other control characters, "\=", "\[", "\]"); nothing is trimmed, so blanks
// round-trip.
//
//   [Options]
//   AlarmTime=07:30
//   F1Left=6540
//
//   [ScreenSaver]
//   Pos=2

using SettingsSection = QMap<QString, QString>;
using SettingsSections = QMap<QString, SettingsSection>;

// Longest value the store keeps; a longer one reads as missing.
constexpr qsizetype kMaxSettingValue = 64 * 1024;
// A larger file is not one this program wrote: it is neither read nor written over.
constexpr qint64 kMaxSettingsFileBytes = 16 * 1024 * 1024;

struct SettingsFileContents {
    SettingsSections sections;
    // False when anything in the file could not be read as written by
    // formatSettingsFile: a line was skipped or decoded another way.
    bool clean = true;
};

// Reads every line that can be read, whatever the rest of the file holds: a
// line that is not UTF-8 is read as Windows-1252, a line holding a NUL byte, a
// line that does not parse and a value over kMaxSettingValue are skipped. A
// UTF-16 file (with a byte-order mark, or plain ASCII text in UTF-16) is read as
// such. Reads the device to its end, line by line, so a huge file costs no more
// memory than its longest readable line.
SettingsFileContents readSettingsFile(QIODevice& device);
SettingsFileContents parseSettingsFile(const QByteArray& bytes);

QByteArray formatSettingsFile(const SettingsSections& sections);

} // namespace platform
