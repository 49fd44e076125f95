#include "platform/settings/settingsfile.h"

#include <QBuffer>
#include <QIODevice>
#include <QStringDecoder>

#include <array>
#include <optional>

namespace platform {
namespace {

// The longest line worth reading: a key and a value of kMaxSettingValue
// characters, each written as a four-character escape at worst.
constexpr qint64 kMaxLineBytes = 4 * kMaxSettingValue + 4096;
// A UTF-16 file is converted whole; larger ones are not settings this program wrote.
constexpr qint64 kMaxUtf16Bytes = 64 * 1024 * 1024;

QString escaped(const QString& text, QStringView special)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else if (special.contains(c))
            out += QLatin1Char('\\') + c;
        else
            out += c;
    }
    return out;
}

bool isHexDigit(QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

std::optional<QString> unescaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case u'\\':
        case u'=':
        case u'[':
        case u']': out += text[i]; break;
        case u'n': out += QLatin1Char('\n'); break;
        case u'r': out += QLatin1Char('\r'); break;
        case u'x': {
            const QStringView hex = text.sliced(i + 1).left(2);
            if (hex.size() != 2 || !isHexDigit(hex[0]) || !isHexDigit(hex[1]))
                return std::nullopt;
            out += QChar(hex.toUShort(nullptr, 16));
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

// Position of the first '=' that is not escaped, or -1.
qsizetype separatorIndex(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'\\')
            ++i;
        else if (line[i] == u'=')
            return i;
    }
    return -1;
}

// Windows-1252 is Latin-1 but for 0x80..0x9F; its five unused codes stay C1 controls.
QString fromWindows1252(QByteArrayView bytes)
{
    static constexpr std::array<char16_t, 32> high{0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out += QChar(u >= 0x80 && u <= 0x9f ? high[u - 0x80] : char16_t(u));
    }
    return out;
}

class LineParser {
public:
    // One raw line, without its line feed.
    void addLine(QByteArrayView raw, bool first)
    {
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (first && raw.startsWith("\xEF\xBB\xBF"))
            raw = raw.sliced(3);
        if (raw.isEmpty())
            return;
        if (raw.contains('\0')) {
            m_result.clean = false;
            return;
        }
        // Each line is decoded alone: only the file's first line may lose a BOM.
        QStringDecoder utf8(QStringDecoder::Utf8,
                            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf8.decode(raw);
        if (utf8.hasError()) {
            text = fromWindows1252(raw);
            m_result.clean = false;
        }
        addText(text);
    }

    // A line too long to be one this program wrote, or a file in another form.
    void skipLine() { m_result.clean = false; }

    void addText(QStringView line)
    {
        if (line.startsWith(u'[')) {
            m_section = line.endsWith(u']') && line.size() >= 2 ? unescaped(line.sliced(1, line.size() - 2))
                                                                : std::nullopt;
            if (!m_section || m_section->isEmpty()) {
                m_result.clean = false;
                m_section.reset();
            }
            return;
        }
        const qsizetype at = separatorIndex(line);
        const auto key = at > 0 ? unescaped(line.first(at)) : std::nullopt;
        const auto value = at > 0 ? unescaped(line.sliced(at + 1)) : std::nullopt;
        if (!m_section || !key || !value || value->size() > kMaxSettingValue) {
            m_result.clean = false;
            return;
        }
        m_result.sections[*m_section][*key] = *value;
    }

    SettingsFileContents take() { return std::move(m_result); }

private:
    SettingsFileContents m_result;
    std::optional<QString> m_section;
};

enum class Utf16 { No, LittleEndian, BigEndian };

Utf16 utf16Kind(QByteArrayView head)
{
    if (head.size() < 2)
        return Utf16::No;
    const auto b = [&](int i) { return static_cast<unsigned char>(head[i]); };
    if (b(0) == 0xFF && b(1) == 0xFE)
        return Utf16::LittleEndian;
    if (b(0) == 0xFE && b(1) == 0xFF)
        return Utf16::BigEndian;
    if (head.size() >= 4) {
        if (b(0) != 0 && b(1) == 0 && b(2) != 0 && b(3) == 0)
            return Utf16::LittleEndian;
        if (b(0) == 0 && b(1) != 0 && b(2) == 0 && b(3) != 0)
            return Utf16::BigEndian;
    }
    return Utf16::No;
}

SettingsFileContents readUtf16(QIODevice& device, Utf16 kind)
{
    LineParser parser;
    parser.skipLine(); // not the form this program writes: keep the original before rewriting
    const qint64 available = device.bytesAvailable();
    const QByteArray bytes = available > 0 ? device.read(qMin(available, kMaxUtf16Bytes))
                                           : device.readAll().left(kMaxUtf16Bytes);
    QStringDecoder decoder(kind == Utf16::LittleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    QString text = decoder.decode(bytes);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.contains(QChar(0)))
            continue;
        if (!line.isEmpty())
            parser.addText(line);
    }
    return parser.take();
}

} // namespace

SettingsFileContents readSettingsFile(QIODevice& device)
{
    const Utf16 kind = utf16Kind(device.peek(4));
    if (kind != Utf16::No)
        return readUtf16(device, kind);

    // Chunks split into lines by hand: a line longer than kMaxLineBytes is
    // dropped as it streams past, so no line costs more memory than that.
    constexpr qint64 kChunk = 64 * 1024;
    LineParser parser;
    bool first = true;
    bool dropping = false;
    QByteArray line;
    QByteArray chunk;
    while (!device.atEnd()) {
        const qint64 available = device.bytesAvailable();
        chunk = device.read(available > 0 ? qMin(available, kChunk) : kChunk);
        if (chunk.isEmpty())
            break;
        QByteArrayView rest(chunk);
        while (!rest.isEmpty()) {
            const qsizetype eol = rest.indexOf('\n');
            const QByteArrayView piece = eol < 0 ? rest : rest.first(eol);
            if (!dropping) {
                if (line.size() + piece.size() > kMaxLineBytes) {
                    dropping = true;
                    line.clear();
                    parser.skipLine();
                } else {
                    line += piece;
                }
            }
            if (eol < 0)
                break;
            if (!dropping)
                parser.addLine(line, first);
            first = false;
            dropping = false;
            line.clear();
            rest = rest.sliced(eol + 1);
        }
    }
    if (!dropping && !line.isEmpty())
        parser.addLine(line, first);
    return parser.take();
}

SettingsFileContents parseSettingsFile(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readSettingsFile(buffer);
}

QByteArray formatSettingsFile(const SettingsSections& sections)
{
    QString text;
    for (auto s = sections.cbegin(); s != sections.cend(); ++s) {
        if (s->isEmpty())
            continue;
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') + escaped(s.key(), u"[]") + QLatin1String("]\n");
        for (auto k = s->cbegin(); k != s->cend(); ++k)
            text += escaped(k.key(), u"=[") + QLatin1Char('=') + escaped(k.value(), {}) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

} // namespace platform
