#pragma once

#include <QString>

#include <optional>

// The screensaver's options: section "ScreenSaver" of the settings store,
// shared by the main program and the screensaver program. A value that does
// not convert reads as the key's default, so a damaged store never stops the
// clock or its settings window.
namespace SaverOptions {

inline const QString Section = QStringLiteral("ScreenSaver");

// The digits' own colour (&HBBGGRR, light blue).
constexpr quint32 DefaultDigitColour = 0xFFFF00;

// "True"/"False" or a number (non-zero is True).
bool readBool(const QString& key, bool defaultValue);
// A number as text; anything else reads as the default.
double readNumber(const QString& key, double defaultValue);
// A colour as decimal text of an RGB value 0..&HFFFFFF; nothing when the key
// is missing, empty or holds anything else.
std::optional<quint32> readColour(const QString& key);
// The raw text ("" when missing).
QString readText(const QString& key);

void writeBool(const QString& key, bool value);
void writeText(const QString& key, const QString& value);
void writeColour(const QString& key, quint32 colour);

} // namespace SaverOptions
