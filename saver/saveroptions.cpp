#include "saver/saveroptions.h"

#include "compat/vb/conversions.h"
#include "platform/settings/settings.h"

#include <cmath>

namespace SaverOptions {

bool readBool(const QString& key, bool defaultValue)
{
    const QString text = platform::getSetting(Section, key, platform::boolText(defaultValue));
    try {
        return platform::toBool(text);
    } catch (const platform::RuntimeError&) {
        return defaultValue;
    }
}

double readNumber(const QString& key, double defaultValue)
{
    const QString text = platform::getSetting(Section, key);
    if (!platform::isNumeric(text))
        return defaultValue;
    try {
        const double value = platform::toDouble(text);
        return std::isfinite(value) ? value : defaultValue;
    } catch (const platform::RuntimeError&) {
        return defaultValue;
    }
}

std::optional<quint32> readColour(const QString& key)
{
    const double value = readNumber(key, -1);
    if (value < 0 || value > 0xFFFFFF || value != std::floor(value))
        return std::nullopt;
    return static_cast<quint32>(value);
}

QString readText(const QString& key) { return platform::getSetting(Section, key); }

void writeBool(const QString& key, bool value) { platform::saveSetting(Section, key, platform::boolText(value)); }

void writeText(const QString& key, const QString& value) { platform::saveSetting(Section, key, value); }

void writeColour(const QString& key, quint32 colour)
{
    platform::saveSetting(Section, key, platform::intText(static_cast<qint64>(colour & 0xFFFFFF)));
}

} // namespace SaverOptions
