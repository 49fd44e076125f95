#include "compat/win32/registryfile.h"

#include "compat/win32/registry.h"

#include <QStringDecoder>
#include <QtEndian>

#include <optional>

namespace platform {
namespace {

QString quoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

QString hexBytes(const QByteArray& bytes)
{
    QStringList parts;
    parts.reserve(bytes.size());
    for (const char b : bytes)
        parts.append(QStringLiteral("%1").arg(static_cast<quint8>(b), 2, 16, QLatin1Char('0')));
    return parts.join(QLatin1Char(','));
}

// The text of a REG_SZ value that can be written as quoted text and read back
// to the same bytes; nullopt for anything else.
std::optional<QString> plainText(const RegistryValue& value)
{
    if (value.type != REG_SZ || !value.data.endsWith('\0'))
        return std::nullopt;
    const QByteArray body = value.data.chopped(1);
    if (body.contains('\0'))
        return std::nullopt;
    const QString text = QString::fromUtf8(body);
    if (text.toUtf8() != body)
        return std::nullopt;
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return std::nullopt;
    return text;
}

QString formatData(const RegistryValue& value)
{
    if (const auto text = plainText(value))
        return quoted(*text);
    if (value.type == REG_DWORD && value.data.size() == 4)
        return QStringLiteral("dword:%1")
            .arg(qFromLittleEndian<quint32>(value.data.constData()), 8, 16, QLatin1Char('0'));
    if (value.type == REG_BINARY)
        return QStringLiteral("hex:") + hexBytes(value.data);
    return QStringLiteral("hex(%1):").arg(value.type, 0, 16) + hexBytes(value.data);
}

QString formatValueLine(const HiveValue& value)
{
    const QString name = value.name.isEmpty() ? QStringLiteral("@") : quoted(value.name);
    return name + QLatin1Char('=') + formatData(value.value);
}

// Reads a quoted text starting at text[from] == '"'. Returns the text and the
// position after the closing quote.
std::optional<std::pair<QString, qsizetype>> readQuoted(const QString& text, qsizetype from)
{
    if (from >= text.size() || text[from] != QLatin1Char('"'))
        return std::nullopt;
    QString out;
    for (qsizetype i = from + 1; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('"'))
            return std::make_pair(out, i + 1);
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return std::nullopt;
}

std::optional<QByteArray> parseHexList(const QString& list)
{
    QByteArray bytes;
    for (const QString& part : list.split(QLatin1Char(','))) {
        const QString digits = part.trimmed();
        if (digits.isEmpty())
            continue;
        bool ok = false;
        const uint b = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 2)
            return std::nullopt;
        bytes.append(static_cast<char>(b));
    }
    return bytes;
}

std::optional<RegistryValue> parseText(const QString& data)
{
    const auto text = readQuoted(data, 0);
    if (!text || !data.mid(text->second).trimmed().isEmpty())
        return std::nullopt;
    return RegistryValue{REG_SZ, text->first.toUtf8() + '\0'};
}

std::optional<RegistryValue> parseDword(const QString& digits)
{
    bool ok = false;
    const quint32 number = digits.trimmed().toUInt(&ok, 16);
    if (!ok || digits.trimmed().size() > 8)
        return std::nullopt;
    QByteArray bytes(4, '\0');
    qToLittleEndian(number, bytes.data());
    return RegistryValue{REG_DWORD, bytes};
}

std::optional<RegistryValue> parseTypedHex(const QString& data)
{
    const qsizetype close = data.indexOf(QLatin1Char(')'));
    if (close < 0 || close + 1 >= data.size() || data[close + 1] != QLatin1Char(':'))
        return std::nullopt;
    bool ok = false;
    const quint32 type = data.mid(4, close - 4).trimmed().toUInt(&ok, 16);
    const auto bytes = ok ? parseHexList(data.mid(close + 2)) : std::nullopt;
    if (!bytes)
        return std::nullopt;
    return RegistryValue{type, *bytes};
}

std::optional<RegistryValue> parseData(const QString& data)
{
    if (data.startsWith(QLatin1Char('"')))
        return parseText(data);
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive))
        return parseDword(data.mid(6));
    if (data.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
        const auto bytes = parseHexList(data.mid(4));
        return bytes ? std::optional(RegistryValue{REG_BINARY, *bytes}) : std::nullopt;
    }
    if (data.startsWith(QLatin1String("hex("), Qt::CaseInsensitive))
        return parseTypedHex(data);
    return std::nullopt;
}

std::optional<HiveValue> parseValueLine(const QString& line)
{
    QString name;
    qsizetype pos = 1;
    if (line.startsWith(QLatin1Char('"'))) {
        const auto read = readQuoted(line, 0);
        if (!read)
            return std::nullopt;
        name = read->first;
        pos = read->second;
    } else if (!line.startsWith(QLatin1Char('@'))) {
        return std::nullopt;
    }
    const QString rest = line.mid(pos).trimmed();
    if (!rest.startsWith(QLatin1Char('=')))
        return std::nullopt;
    const auto value = parseData(rest.mid(1).trimmed());
    if (!value)
        return std::nullopt;
    return HiveValue{name, *value};
}

// The key path of a section header for this root; nullopt for another root,
// a deletion entry ("[-...]") or a damaged header.
std::optional<QString> parseSectionHeader(const QString& line, const QString& rootName)
{
    if (!line.endsWith(QLatin1Char(']')) || line.size() < 3 || line[1] == QLatin1Char('-'))
        return std::nullopt;
    const QStringList parts = splitKeyPath(line.mid(1, line.size() - 2));
    if (parts.isEmpty() || parts.first().compare(rootName, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return parts.mid(1).join(QLatin1Char('\\'));
}

// Lines with hex data may go on over several lines, each but the last ending in '\'.
QStringList logicalLines(const QString& text)
{
    QStringList lines;
    QString pending;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        const bool continues = line.endsWith(QLatin1Char('\\'))
            && line.contains(QLatin1String("=hex"), Qt::CaseInsensitive);
        const bool continuing = !pending.isEmpty();
        if (continues || (continuing && line.endsWith(QLatin1Char('\\')))) {
            pending += line.chopped(1);
            continue;
        }
        lines.append(pending + line);
        pending.clear();
    }
    if (!pending.isEmpty())
        lines.append(pending);
    return lines;
}

} // namespace

QByteArray formatRegistryFile(const RegistryHive& hive, const QString& rootName)
{
    QString out = QStringLiteral("REGEDIT4\n");
    for (const HiveKey& key : hive.keys()) {
        out += QStringLiteral("\n[") + rootName + (key.path.isEmpty() ? QString() : QLatin1Char('\\') + key.path)
            + QStringLiteral("]\n");
        for (const HiveValue& value : key.values)
            out += formatValueLine(value) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

RegistryHive parseRegistryFile(const QByteArray& text, const QString& rootName, bool* clean)
{
    RegistryHive hive;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(text);
    bool readable = !utf8.hasError() && !text.contains('\0');
    bool headerSeen = false;
    std::optional<QString> section;
    for (const QString& line : logicalLines(decoded)) {
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (line == QLatin1String("REGEDIT4"))
                continue;
            readable = false;
        }
        if (line.startsWith(QLatin1Char('['))) {
            section = parseSectionHeader(line, rootName);
            if (section)
                hive.ensureKey(*section);
            else
                readable = false;
            continue;
        }
        const auto value = section ? parseValueLine(line) : std::nullopt;
        if (value)
            hive.keyForWriting(*section).values.insert(registryLookupName(value->name), *value);
        else
            readable = false;
    }
    if (clean)
        *clean = readable;
    return hive;
}

} // namespace platform
