#include "platform/desktop/osrelease.h"

#include <QList>

namespace platform {
namespace {

bool isNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9'); }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmedBlanks(const QByteArray& s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && isBlank(s[from]))
        ++from;
    while (to > from && (isBlank(s[to - 1]) || s[to - 1] == '\r'))
        --to;
    return s.mid(from, to - from);
}

// The value after "=": quoted parts joined, as a shell would read it.
// Returns false for an unterminated quote.
bool readValue(const QByteArray& raw, QByteArray* out)
{
    QByteArray value;
    qsizetype i = 0;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '"') {
            ++i;
            while (i < raw.size() && raw[i] != '"') {
                if (raw[i] == '\\' && i + 1 < raw.size()) {
                    const char next = raw[i + 1];
                    if (next == '$' || next == '"' || next == '\\' || next == '`') {
                        value += next;
                        i += 2;
                        continue;
                    }
                }
                value += raw[i++];
            }
            if (i >= raw.size())
                return false;
            ++i;
        } else if (c == '\'') {
            const qsizetype end = raw.indexOf('\'', i + 1);
            if (end < 0)
                return false;
            value += raw.mid(i + 1, end - i - 1);
            i = end + 1;
        } else if (c == '\\' && i + 1 < raw.size()) {
            value += raw[i + 1];
            i += 2;
        } else if (isBlank(c)) {
            // An unquoted blank ends the value; whatever follows is ignored.
            break;
        } else {
            value += c;
            ++i;
        }
    }
    *out = value;
    return true;
}

QString cleanText(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    QString out;
    out.reserve(text.size());
    for (QChar ch : text)
        if (ch.category() != QChar::Other_Control && ch != QChar::ReplacementCharacter)
            out += ch;
    return out;
}

} // namespace

QMap<QString, QString> parseOsRelease(const QByteArray& text)
{
    QMap<QString, QString> values;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& rawLine : lines) {
        const QByteArray line = trimmedBlanks(rawLine);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0 || !isNameStart(line[0]))
            continue;
        bool validName = true;
        for (qsizetype i = 1; i < eq && validName; ++i)
            validName = isNameChar(line[i]);
        if (!validName)
            continue;
        QByteArray value;
        if (!readValue(line.mid(eq + 1), &value))
            continue;
        values.insert(QString::fromLatin1(line.left(eq)), cleanText(value));
    }
    return values;
}

} // namespace platform
