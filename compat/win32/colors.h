#pragma once

#include <QColor>

namespace platform {

// Windows colour values are written &HBBGGRR: red in the low byte, blue in
// the third. The high byte (set for the system's named colours) carries no
// colour and is ignored, so 0x80FFFF00 reads as cyan like 0x00FFFF00.
QColor fromBgr(quint32 bgr);

// The colour as a Windows colour value; alpha is dropped, the high byte is 0.
quint32 toBgr(const QColor& colour);

} // namespace platform
