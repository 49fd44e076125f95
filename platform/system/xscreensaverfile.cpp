#include "platform/system/xscreensaverfile.h"

#include <QRegularExpression>
#include <QStringList>

namespace platform::xss {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool isOctal(char c) { return c >= '0' && c <= '7'; }

// Whether the line [from, to) ends in an odd number of backslashes, so that it
// continues on the next line.
bool continues(const QByteArray& bytes, qsizetype from, qsizetype to)
{
    qsizetype count = 0;
    while (to - count > from && bytes[to - count - 1] == '\\')
        ++count;
    return count % 2 == 1;
}

qsizetype lineEnd(const QByteArray& bytes, qsizetype from)
{
    const qsizetype at = bytes.indexOf('\n', from);
    return at < 0 ? bytes.size() : at;
}

// What one escape at `at` (a backslash) stands for, and its length in bytes.
// A continuation (backslash, line break) stands for nothing.
struct Escape {
    QByteArray text;
    qsizetype length = 1;
    bool separator = false; // "\n": a line break in the value
};

Escape escapeAt(const QByteArray& bytes, qsizetype at, qsizetype end)
{
    if (at + 1 >= end)
        return {{}, end - at};
    const char next = bytes[at + 1];
    if (next == '\n')
        return {{}, 2};
    if (next == 'n')
        return {QByteArray(1, '\n'), 2, true};
    if (at + 3 < end && isOctal(next) && isOctal(bytes[at + 2]) && isOctal(bytes[at + 3])) {
        const int code = (next - '0') * 64 + (bytes[at + 2] - '0') * 8 + (bytes[at + 3] - '0');
        return {QByteArray(1, static_cast<char>(code & 0xFF)), 4};
    }
    return {QByteArray(1, next), 2};
}

QByteArray decode(const QByteArray& bytes, qsizetype from, qsizetype to)
{
    QByteArray out;
    for (qsizetype i = from; i < to;) {
        if (bytes[i] == '\\') {
            const Escape e = escapeAt(bytes, i, to);
            out += e.text;
            i += e.length;
        } else {
            out += bytes[i++];
        }
    }
    return out;
}

QByteArray escaped(const QString& value)
{
    QByteArray out;
    for (const char c : value.toUtf8()) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

} // namespace

ProgramEntry parseProgramEntry(const QString& line)
{
    static const QRegularExpression visual(QStringLiteral("^([A-Za-z][A-Za-z0-9_-]*):(\\s+|$)"));
    ProgramEntry entry;
    QString rest = line.trimmed();
    if (rest.startsWith(QLatin1Char('-'))) {
        entry.enabled = false;
        rest = rest.mid(1).trimmed();
    }
    if (const auto match = visual.match(rest); match.hasMatch()) {
        entry.visual = match.captured(1);
        rest = rest.mid(match.capturedLength()).trimmed();
    }
    if (rest.startsWith(QLatin1Char('"'))) {
        const qsizetype close = rest.indexOf(QLatin1Char('"'), 1);
        if (close > 0) {
            entry.name = rest.mid(1, close - 1);
            rest = rest.mid(close + 1).trimmed();
        }
    }
    entry.command = rest;
    return entry;
}

QString firstShellWord(const QString& command)
{
    QString word;
    qsizetype i = 0;
    const qsizetype n = command.size();
    while (i < n && command[i].isSpace())
        ++i;
    while (i < n && !command[i].isSpace()) {
        const QChar c = command[i++];
        if (c == QLatin1Char('\'')) {
            while (i < n && command[i] != QLatin1Char('\''))
                word += command[i++];
            ++i;
        } else if (c == QLatin1Char('"')) {
            while (i < n && command[i] != QLatin1Char('"')) {
                if (command[i] == QLatin1Char('\\') && i + 1 < n && QStringLiteral("$`\"\\\n").contains(command[i + 1]))
                    ++i;
                word += command[i++];
            }
            ++i;
        } else if (c == QLatin1Char('\\')) {
            if (i < n)
                word += command[i++];
        } else {
            word += c;
        }
    }
    return word;
}

QString shellQuote(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

std::optional<qint64> parseTime(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() > 3)
        return std::nullopt;
    QList<qint64> numbers;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 9)
            return std::nullopt;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        numbers.append(part.toLongLong());
    }
    switch (numbers.size()) {
    case 1: return numbers[0] * 60;
    case 2: return numbers[0] * 60 + numbers[1];
    default: return numbers[0] * 3600 + numbers[1] * 60 + numbers[2];
    }
}

QString timeText(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

std::optional<bool> parseBoolean(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes") || t == QLatin1String("on") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("no") || t == QLatin1String("off") || t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

PreferencesFile::PreferencesFile(QByteArray bytes) : m_bytes(std::move(bytes)) { parse(); }

void PreferencesFile::parse()
{
    m_records.clear();
    const qsizetype n = m_bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        qsizetype first = start;
        while (first < n && isBlank(m_bytes[first]))
            ++first;
        qsizetype end = lineEnd(m_bytes, start);
        const qsizetype firstLineEnd = end;
        const bool comment = first < end && (m_bytes[first] == '#' || m_bytes[first] == '!');
        if (!comment)
            while (end < n && continues(m_bytes, start, end))
                end = lineEnd(m_bytes, end + 1);
        if (!comment && first < firstLineEnd) {
            const qsizetype colon = m_bytes.indexOf(':', first);
            if (colon >= 0 && colon < firstLineEnd) {
                qsizetype valueStart = colon + 1;
                while (valueStart < end && isBlank(m_bytes[valueStart]))
                    ++valueStart;
                m_records.append(Record{m_bytes.mid(first, colon - first).trimmed(), start, valueStart, end});
            }
        }
        i = end + 1;
    }
}

const PreferencesFile::Record* PreferencesFile::find(const QByteArray& name) const
{
    for (auto it = m_records.crbegin(); it != m_records.crend(); ++it)
        if (it->name == name)
            return &*it;
    return nullptr;
}

std::optional<QString> PreferencesFile::value(const QByteArray& name) const
{
    const Record* record = find(name);
    if (!record)
        return std::nullopt;
    return QString::fromUtf8(decode(m_bytes, record->valueStart, record->end)).trimmed();
}

std::optional<std::pair<qsizetype, qsizetype>> PreferencesFile::span(const QByteArray& name) const
{
    const Record* record = find(name);
    if (!record)
        return std::nullopt;
    return std::pair(record->start, record->end);
}

void PreferencesFile::replace(qsizetype from, qsizetype to, const QByteArray& with)
{
    m_bytes.replace(from, to - from, with);
    parse();
}

void PreferencesFile::appendLine(const QByteArray& line)
{
    if (!m_bytes.isEmpty() && !m_bytes.endsWith('\n'))
        m_bytes += '\n';
    // A last line that continues would swallow the new one: end it first.
    if (!m_bytes.isEmpty() && continues(m_bytes, 0, m_bytes.size() - 1))
        m_bytes += '\n';
    m_bytes += line;
    m_bytes += '\n';
    parse();
}

void PreferencesFile::setValue(const QByteArray& name, const QString& value)
{
    const Record* record = find(name);
    if (!record) {
        appendLine(name + ":\t" + escaped(value));
        return;
    }
    const bool needsBlank = m_bytes[record->valueStart - 1] == ':';
    replace(record->valueStart, record->end, (needsBlank ? QByteArray("\t") : QByteArray()) + escaped(value));
}

QList<PreferencesFile::Entry> PreferencesFile::entriesOf(const Record& record) const
{
    QList<Entry> entries;
    QByteArray text;
    qsizetype bodyStart = -1;
    qsizetype bodyEnd = -1;
    const auto finish = [&](qsizetype after) {
        if (bodyStart >= 0)
            entries.append(Entry{QString::fromUtf8(text).trimmed(), bodyStart, bodyEnd, after});
        text.clear();
        bodyStart = bodyEnd = -1;
    };
    for (qsizetype i = record.valueStart; i < record.end;) {
        if (m_bytes[i] == '\\') {
            const Escape e = escapeAt(m_bytes, i, record.end);
            if (e.separator) {
                finish(i + e.length);
            } else if (!e.text.isEmpty()) {
                text += e.text;
                if (bodyStart < 0)
                    bodyStart = i;
                bodyEnd = i + e.length;
            }
            i += e.length;
            continue;
        }
        text += m_bytes[i];
        if (!isBlank(m_bytes[i])) {
            if (bodyStart < 0)
                bodyStart = i;
            bodyEnd = i + 1;
        }
        ++i;
    }
    if (bodyStart >= 0)
        finish(bodyEnd);
    return entries;
}

QList<ProgramEntry> PreferencesFile::programs() const
{
    QList<ProgramEntry> list;
    if (const Record* record = find("programs"))
        for (const Entry& entry : entriesOf(*record))
            list.append(parseProgramEntry(entry.text));
    return list;
}

void PreferencesFile::putProgramFirst(const QString& entryText, const std::function<bool(const ProgramEntry&)>& isSame)
{
    const QByteArray entry = escaped(QString(entryText).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    const QByteArray separator("\t\\n\\\n");
    if (!find("programs")) {
        appendLine("programs:\t\\\n\t\t\t\t" + entry + separator);
        return;
    }
    // Drop the old copies, one at a time (each removal moves what follows).
    for (;;) {
        const QList<Entry> entries = entriesOf(*find("programs"));
        qsizetype k = 0;
        while (k < entries.size() && !isSame(parseProgramEntry(entries[k].text)))
            ++k;
        if (k == entries.size())
            break;
        if (k + 1 < entries.size())
            replace(entries[k].bodyStart, entries[k + 1].bodyStart, {});
        else if (k > 0)
            replace(entries[k - 1].after, entries[k].after, {});
        else
            replace(entries[k].bodyStart, entries[k].after, {});
    }
    const Record record = *find("programs");
    const QList<Entry> entries = entriesOf(record);
    if (entries.isEmpty()) {
        replace(record.valueStart, record.end, "\\\n\t\t\t\t" + entry + separator);
        return;
    }
    // The new line takes the indentation of the old first one.
    const qsizetype at = entries[0].bodyStart;
    const qsizetype lineStart = at > 0 ? m_bytes.lastIndexOf('\n', at - 1) : -1;
    const QByteArray indentation = lineStart >= record.valueStart ? m_bytes.mid(lineStart + 1, at - lineStart - 1)
                                                                  : QByteArray("\t\t\t\t");
    replace(at, at, entry + separator + indentation);
}

} // namespace platform::xss
