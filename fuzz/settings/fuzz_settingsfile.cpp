// The settings file reader: any bytes read without a crash, and what it read
// is written and read back unchanged and clean.
#include "platform/settings/settingsfile.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool hasLoneSurrogate(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

bool writable(const platform::SettingsSections& sections)
{
    for (auto s = sections.cbegin(); s != sections.cend(); ++s) {
        if (hasLoneSurrogate(s.key()))
            return false;
        for (auto k = s->cbegin(); k != s->cend(); ++k)
            if (hasLoneSurrogate(k.key()) || hasLoneSurrogate(k.value()))
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const platform::SettingsFileContents first = platform::parseSettingsFile(bytes);
    for (const auto& section : first.sections)
        for (const QString& value : section)
            if (value.size() > platform::kMaxSettingValue)
                std::abort();
    // Text that no UTF-8 file can hold (a UTF-16 file's unpaired surrogate)
    // cannot round-trip; everything else must.
    if (!writable(first.sections))
        return 0;
    const QByteArray written = platform::formatSettingsFile(first.sections);
    const platform::SettingsFileContents again = platform::parseSettingsFile(written);
    if (!again.clean || again.sections != first.sections)
        std::abort();
    if (platform::formatSettingsFile(again.sections) != written)
        std::abort();
    return 0;
}
