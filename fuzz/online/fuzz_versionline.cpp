#include "online/versionfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const VersionFile file = readVersionFile(bytes);
    if (!file.sha256.isEmpty() && file.sha256.size() != 64)
        std::abort();
    if (file.versionLine.contains(QLatin1Char('\n')) || file.versionLine.contains(QLatin1Char('\r')))
        std::abort();
    const ProgramVersion running{2, 9, 0};
    const std::optional<qint16> state = CmpVersion(file.versionLine, running);
    if (state && *state != verstate::Same && *state != verstate::Newer && *state != verstate::Older)
        std::abort();
    // A text with two dots is always a version text; one without never is.
    const bool twoDots = file.versionLine.count(QLatin1Char('.')) >= 2;
    if (state.has_value() != twoDots)
        std::abort();
    return 0;
}
