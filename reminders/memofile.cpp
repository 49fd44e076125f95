#include "reminders/memofile.h"

#include <QStringDecoder>
#include <QTime>

#include <algorithm>
#include <array>

namespace {

constexpr int kTimeLength = 8;
constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;

// Windows-1252 characters 0x80-0x9F; the five unassigned ones keep their code.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool isLineEnd(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

// "9:5:0" and "09:05:00" give "09:05:00"; anything that is not a time of day gives "".
int digitsValue(QStringView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Whether the text is already "hh:mm:ss" with a valid time of day.
bool isCanonicalTime(QStringView t)
{
    if (t.size() != kTimeLength || t[2] != QLatin1Char(':') || t[5] != QLatin1Char(':'))
        return false;
    const int h = digitsValue(t, 0, 2);
    const int m = digitsValue(t, 3, 2);
    const int s = digitsValue(t, 6, 2);
    return h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60;
}

// "9:5:0" and "09:05:00" give "09:05:00"; anything that is not a time of day gives "".
QString canonicalTime(const QString& time)
{
    if (isCanonicalTime(time))
        return time;
    const QString trimmed = time.trimmed();
    QTime t = QTime::fromString(trimmed, QStringLiteral("H:m:s"));
    if (!t.isValid())
        t = QTime::fromString(trimmed, QStringLiteral("H:m"));
    return t.isValid() ? t.toString(QStringLiteral("HH:mm:ss")) : QString();
}

bool isUsableDate(const QDate& d) { return d.isValid() && d.year() >= kFirstYear && d.year() <= kLastYear; }

// "yyyy-mm-dd" with an optional time of day after a blank; the day is kept.
QDate parseDateItem(QStringView item)
{
    const QStringView day = item.trimmed().left(10);
    const QStringView rest = item.trimmed().mid(10);
    if (!rest.isEmpty() && (!isBlank(rest.front()) || canonicalTime(rest.toString()).isEmpty()))
        return {};
    if (day.size() != 10 || day[4] != QLatin1Char('-') || day[7] != QLatin1Char('-'))
        return {};
    const int y = digitsValue(day, 0, 4);
    const int m = digitsValue(day, 5, 2);
    const int d = digitsValue(day, 8, 2);
    if (y < 0 || m < 0 || d < 0)
        return {};
    return QDate(y, m, d);
}

// Walks the decoded text of one file.
class Scanner {
public:
    explicit Scanner(const QString& text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    qsizetype pos() const { return m_pos; }
    void setPos(qsizetype p) { m_pos = p; }

    void skipBlanks()
    {
        while (!atEnd() && isBlank(peek()))
            ++m_pos;
    }
    void skipWhitespace()
    {
        while (!atEnd() && (isBlank(peek()) || isLineEnd(peek())))
            ++m_pos;
    }
    QChar peek() const { return m_text[m_pos]; }

    // Whether the next item is a date, where a text item was expected (a
    // record that lost its last lines, followed by the next record).
    bool startsRecord()
    {
        skipWhitespace();
        return !atEnd() && peek() == QLatin1Char('#');
    }

    // One line end (CR LF, LF or CR); false when there is none here.
    bool takeLineEnd()
    {
        if (atEnd() || !isLineEnd(peek()))
            return false;
        if (peek() == QLatin1Char('\r') && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == QLatin1Char('\n'))
            ++m_pos;
        ++m_pos;
        return true;
    }

    // After an item: blanks, then a comma, a line end or the end of the file.
    bool takeSeparator(bool commaAllowed)
    {
        skipBlanks();
        if (atEnd() || takeLineEnd())
            return true;
        if (commaAllowed && peek() == QLatin1Char(',')) {
            ++m_pos;
            return true;
        }
        return false;
    }

    // "#...#" on one line.
    bool takeDate(QDate& date)
    {
        skipWhitespace();
        if (atEnd() || peek() != QLatin1Char('#'))
            return false;
        const qsizetype start = m_pos + 1;
        qsizetype end = start;
        while (end < m_text.size() && m_text[end] != QLatin1Char('#') && !isLineEnd(m_text[end]))
            ++end;
        if (end >= m_text.size() || m_text[end] != QLatin1Char('#'))
            return false;
        date = parseDateItem(QStringView(m_text).mid(start, end - start));
        m_pos = end + 1;
        return true;
    }

    // A quoted text item, or an unquoted one running to a comma or a line end.
    // A quoted item ends at a double quote followed by blanks and then a comma
    // (when allowed), a line end or the end of the file; a double quote met
    // elsewhere inside it cannot be stored and is dropped (`strayQuote`).
    // False when the file ends inside the quotes.
    bool takeText(QString& text, bool commaEnds, bool& strayQuote)
    {
        skipWhitespace();
        if (atEnd())
            return false;
        if (peek() != QLatin1Char('"'))
            return takeUnquoted(text, commaEnds, strayQuote);
        ++m_pos;
        text.clear();
        while (!atEnd()) {
            // Copy the plain run up to the next quote or line end at once.
            qsizetype run = m_pos;
            while (run < m_text.size() && m_text[run] != QLatin1Char('"') && !isLineEnd(m_text[run]))
                ++run;
            text += QStringView(m_text).mid(m_pos, run - m_pos);
            m_pos = run;
            if (atEnd())
                break;
            const QChar c = peek();
            if (c == QLatin1Char('"')) {
                if (closesItem(m_pos + 1, commaEnds)) {
                    ++m_pos;
                    return true;
                }
                strayQuote = true;
                ++m_pos;
            } else if (isLineEnd(c)) {
                takeLineEnd();
                text += QLatin1Char('\n');
            } else {
                text += c;
                ++m_pos;
            }
        }
        return false;
    }

    // Moves to the start of the next line that begins a record ("#").
    void skipToNextRecord()
    {
        while (!atEnd()) {
            while (!atEnd() && !isLineEnd(peek()))
                ++m_pos;
            skipWhitespace();
            if (!atEnd() && peek() == QLatin1Char('#'))
                return;
        }
    }

    int lineAt(qsizetype p) const
    {
        return 1 + static_cast<int>(std::count(m_text.cbegin(), m_text.cbegin() + p, QLatin1Char('\n')));
    }

private:
    bool closesItem(qsizetype p, bool commaEnds) const
    {
        while (p < m_text.size() && isBlank(m_text[p]))
            ++p;
        return p >= m_text.size() || isLineEnd(m_text[p]) || (commaEnds && m_text[p] == QLatin1Char(','));
    }

    bool takeUnquoted(QString& text, bool commaEnds, bool& strayQuote)
    {
        const qsizetype start = m_pos;
        while (!atEnd() && !isLineEnd(peek()) && !(commaEnds && peek() == QLatin1Char(',')))
            ++m_pos;
        text = m_text.mid(start, m_pos - start).trimmed();
        if (text.contains(QLatin1Char('"'))) {
            strayQuote = true;
            text.remove(QLatin1Char('"'));
        }
        return true;
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

enum class RecordRead { Complete, Unusable, Broken, Cut };

struct RecordResult {
    RecordRead kind = RecordRead::Complete;
    MemoRec rec;
    bool strayQuote = false;
};

RecordResult readRecord(Scanner& in)
{
    RecordResult r;
    QString time;
    if (!in.takeDate(r.rec.MemDate) || !in.takeSeparator(true)) {
        r.kind = RecordRead::Broken;
        return r;
    }
    if (in.startsRecord()) {
        r.kind = RecordRead::Broken;
        return r;
    }
    if (in.atEnd() || !in.takeText(time, true, r.strayQuote)) {
        r.kind = RecordRead::Cut;
        return r;
    }
    if (!in.takeSeparator(true)) {
        r.kind = RecordRead::Broken;
        return r;
    }
    if (in.startsRecord()) {
        r.kind = RecordRead::Broken;
        return r;
    }
    if (in.atEnd() || !in.takeText(r.rec.MemText, false, r.strayQuote)) {
        r.kind = RecordRead::Cut;
        return r;
    }
    if (!in.takeSeparator(false)) {
        r.kind = RecordRead::Broken;
        return r;
    }
    r.rec.MemTime = canonicalTime(time);
    if (!isUsableDate(r.rec.MemDate) || r.rec.MemTime.isEmpty() || r.rec.MemText.isEmpty())
        r.kind = RecordRead::Unusable;
    return r;
}

QString problemText(RecordRead kind, bool strayQuote)
{
    switch (kind) {
    case RecordRead::Unusable: return QStringLiteral("a reminder without a valid date, time or message");
    case RecordRead::Broken: return QStringLiteral("text that is not a reminder");
    case RecordRead::Cut: return QStringLiteral("the file ends inside a reminder");
    case RecordRead::Complete: break;
    }
    return strayQuote ? QStringLiteral("a double quote inside a message") : QString();
}

} // namespace

QString fixedMemoTime(const QString& time)
{
    return time.left(kTimeLength).leftJustified(kTimeLength, QLatin1Char(' '));
}

QString storableMemoText(const QString& text)
{
    QString out = text;
    out.remove(QLatin1Char('"'));
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

MemoRec normalisedMemo(const MemoRec& rec)
{
    const QString canonical = canonicalTime(rec.MemTime);
    return MemoRec{rec.MemDate, canonical.isEmpty() ? fixedMemoTime(rec.MemTime) : canonical,
                   storableMemoText(rec.MemText)};
}

bool isStorableMemo(const MemoRec& rec)
{
    return isUsableDate(rec.MemDate) && !canonicalTime(rec.MemTime).isEmpty()
        && !storableMemoText(rec.MemText).isEmpty();
}

QString decodeMemoBytes(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

MemoParse parseMemoFile(const QByteArray& bytes)
{
    MemoParse result;
    const QString text = decodeMemoBytes(bytes);
    Scanner in(text);
    auto note = [&](RecordRead kind, bool strayQuote, qsizetype at) {
        if (!result.clean)
            return;
        result.clean = false;
        result.problem = QStringLiteral("line %1: %2").arg(in.lineAt(at)).arg(problemText(kind, strayQuote));
    };
    for (;;) {
        in.skipWhitespace();
        if (in.atEnd())
            break;
        const qsizetype start = in.pos();
        const RecordResult r = readRecord(in);
        switch (r.kind) {
        case RecordRead::Complete:
            result.records.append(r.rec);
            if (r.strayQuote)
                note(r.kind, true, start);
            break;
        case RecordRead::Unusable: note(r.kind, false, start); break;
        case RecordRead::Broken:
            note(r.kind, false, start);
            in.setPos(start);
            in.skipToNextRecord();
            break;
        case RecordRead::Cut: note(r.kind, false, start); return result;
        }
    }
    return result;
}

QByteArray writeMemoRecord(const MemoRec& rec)
{
    if (!isStorableMemo(rec))
        return {};
    const MemoRec n = normalisedMemo(rec);
    QString text = n.MemText;
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QByteArray out;
    out.reserve(32 + text.size() * 3);
    out += '#';
    out += n.MemDate.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
    out += "#\r\n\"";
    out += n.MemTime.toLatin1();
    out += "\"\r\n\"";
    out += text.toUtf8();
    out += "\"\r\n";
    return out;
}

QByteArray writeMemoFile(const QList<MemoRec>& records)
{
    QByteArray out;
    for (const MemoRec& rec : records)
        out += writeMemoRecord(rec);
    return out;
}

void sortMemos(QList<MemoRec>& records)
{
    std::stable_sort(records.begin(), records.end(), [](const MemoRec& a, const MemoRec& b) {
        if (a.MemDate != b.MemDate)
            return a.MemDate < b.MemDate;
        return a.MemTime < b.MemTime;
    });
}
