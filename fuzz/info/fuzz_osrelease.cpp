// The os-release reader on arbitrary bytes: it must not crash, every name it
// returns is a valid variable name, no value holds a control character, and
// what it read, written back in double quotes, reads back the same.

#include "platform/desktop/osrelease.h"

#include <QByteArray>
#include <QString>

#include <cstdlib>

namespace {

bool validName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool letter = (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_');
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!(letter || (i > 0 && digit)))
            return false;
    }
    return true;
}

QByteArray quoted(const QString& value)
{
    QByteArray out = "\"";
    for (char c : value.toUtf8()) {
        if (c == '"' || c == '\\' || c == '$' || c == '`')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QMap<QString, QString> values = platform::parseOsRelease(input);
    QByteArray written;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!validName(it.key()))
            std::abort();
        for (QChar c : it.value())
            if (c.category() == QChar::Other_Control)
                std::abort();
        written += it.key().toLatin1() + '=' + quoted(it.value()) + '\n';
    }
    if (platform::parseOsRelease(written) != values)
        std::abort();
    return 0;
}
