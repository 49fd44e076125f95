#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace resgen {

constexpr int SampleRate = 22050;

// The names of the sounds makeSound() knows.
QStringList soundNames();

// A complete WAV file (RIFF, PCM, 16-bit mono, SampleRate) for one of the
// sounds: "alarm1" (two-tone beep-beep), "alarm2" (trilled ring), "hourbeep"
// (a short pip). Empty for an unknown name.
QByteArray makeSound(const QString& name);

} // namespace resgen
