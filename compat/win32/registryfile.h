#pragma once

#include "compat/win32/registryhive.h"

#include <QByteArray>
#include <QString>

namespace platform {

// The text form of one registry file, in the layout of REGEDIT4 exports:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\VN\TimeConverter]
//   @="Orvane's Applications"
//   "DefaultSourceZone"="W. Europe Standard Time"
//   "Count"=dword:0000001e
//   "Blob"=hex:01,02
//   "Odd"=hex(1):41,0a,42,00
//
// Text values that are plain UTF-8 with one closing NUL are written as quoted
// text; anything else keeps its exact bytes as hex with its type number.

// The whole file for a hive whose root is called rootName ("HKEY_LOCAL_MACHINE").
QByteArray formatRegistryFile(const RegistryHive& hive, const QString& rootName);

// Reads what it can: sections for another root, lines it cannot read and
// values outside any section are skipped. `clean` (when given) tells whether
// nothing was skipped: a file that is not UTF-8, holds a NUL, lacks the
// "REGEDIT4" header or has a line that does not read is damaged.
RegistryHive parseRegistryFile(const QByteArray& text, const QString& rootName, bool* clean = nullptr);

} // namespace platform
