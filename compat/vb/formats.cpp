#include "compat/vb/formats.h"

#include "compat/vb/conversions.h"

#include <QList>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <optional>

namespace platform {
namespace {

// ---- Date and time patterns

enum class Part {
    Literal,
    Day,
    MonthOrMinute,
    Month,
    MonthName,
    Year,
    DayOfYear,
    Hour,
    Minute,
    Second,
    WeekDay,
    Week,
    Quarter,
    HalfDay,
    Place // a digit place of a number pattern, text "0" or "#"
};

struct Token {
    Part part;
    int width = 0;
    QString text; // a literal's text, a half-day mark as written, or a place's character
};

int runLength(const QString& pattern, qsizetype from, QChar lower)
{
    int n = 0;
    while (from + n < pattern.size() && pattern[from + n].toLower() == lower)
        ++n;
    return n;
}

// The half-day mark that starts at position i, as written in the pattern.
std::optional<QString> halfDayAt(const QString& pattern, qsizetype i)
{
    for (const char* mark : {"AM/PM", "AMPM", "A/P"}) {
        const QString text = pattern.mid(i, qstrlen(mark));
        if (text.compare(QLatin1String(mark), Qt::CaseInsensitive) == 0)
            return text;
    }
    return std::nullopt;
}

void appendLiteral(QList<Token>& tokens, const QString& text)
{
    if (!tokens.isEmpty() && tokens.last().part == Part::Literal)
        tokens.last().text += text;
    else
        tokens.append({Part::Literal, 0, text});
}

// The pattern part that starts with letter `lower` and runs `run` letters long;
// its width is how many letters it takes.
Token datePart(QChar lower, int run)
{
    switch (lower.unicode()) {
    case u'd': return {Part::Day, qMin(run, 6), {}};
    case u'm': return run >= 3 ? Token{Part::MonthName, qMin(run, 4), {}} : Token{Part::MonthOrMinute, run, {}};
    case u'y':
        return run >= 4 ? Token{Part::Year, 4, {}}
            : run >= 2  ? Token{Part::Year, 2, {}}
                        : Token{Part::DayOfYear, 1, {}};
    case u'h': return {Part::Hour, qMin(run, 2), {}};
    case u'n': return {Part::Minute, qMin(run, 2), {}};
    case u's': return {Part::Second, qMin(run, 2), {}};
    case u'w': return run >= 2 ? Token{Part::Week, 2, {}} : Token{Part::WeekDay, 1, {}};
    case u'q': return {Part::Quarter, 1, {}};
    default: return {Part::Literal, 0, {}};
    }
}

// Quoted text ends at the next quote, or at the end of the pattern.
qsizetype appendQuoted(QList<Token>& tokens, const QString& pattern, qsizetype open)
{
    qsizetype close = pattern.indexOf(u'"', open + 1);
    if (close < 0)
        close = pattern.size();
    appendLiteral(tokens, pattern.mid(open + 1, close - open - 1));
    return close + 1;
}

QList<Token> dateTokens(const QString& pattern)
{
    QList<Token> tokens;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == u'\\') {
            appendLiteral(tokens, pattern.mid(i + 1, 1));
            i += 2;
        } else if (c == u'"') {
            i = appendQuoted(tokens, pattern, i);
        } else if (const auto mark = halfDayAt(pattern, i)) {
            tokens.append({Part::HalfDay, 0, *mark});
            i += mark->size();
        } else if (const Token part = datePart(c.toLower(), runLength(pattern, i, c.toLower())); part.width > 0) {
            tokens.append(part);
            i += part.width;
        } else {
            appendLiteral(tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

Part neighbourPart(const QList<Token>& tokens, qsizetype i, int direction)
{
    for (i += direction; i >= 0 && i < tokens.size(); i += direction)
        if (tokens[i].part != Part::Literal)
            return tokens[i].part;
    return Part::Literal;
}

// "m" and "mm" are minutes after an hour or before a second, months otherwise.
void resolveMonthOrMinute(QList<Token>& tokens)
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i].part != Part::MonthOrMinute)
            continue;
        const bool minute = neighbourPart(tokens, i, -1) == Part::Hour || neighbourPart(tokens, i, +1) == Part::Second;
        tokens[i].part = minute ? Part::Minute : Part::Month;
    }
}

QString number(int value, int width) { return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')); }

QString halfDayText(const QString& mark, int hour)
{
    const bool morning = hour < 12;
    if (mark.size() == 4) // AMPM: the locale's own marks
        return morning ? QLocale().amText() : QLocale().pmText();
    QString text = morning ? QStringLiteral("AM") : QStringLiteral("PM");
    if (mark.size() == 3) // A/P
        text.truncate(1);
    return mark[0].isLower() ? text.toLower() : text;
}

// Week of the year with Sunday as first day; week 1 holds 1 January.
int weekOfYear(const QDate& date)
{
    const int offset = QDate(date.year(), 1, 1).dayOfWeek() % 7;
    return (date.dayOfYear() - 1 + offset) / 7 + 1;
}

QString dayText(const QDate& date, int width)
{
    const QLocale locale;
    switch (width) {
    case 1: return QString::number(date.day());
    case 2: return number(date.day(), 2);
    case 3: return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
    case 4: return locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
    case 5: return shortDateText(date);
    default: return locale.toString(date, QLocale::LongFormat);
    }
}

QString partText(const Token& token, const QDate& date, const QTime& time, bool twelveHour)
{
    switch (token.part) {
    case Part::Literal:
    case Part::Place: return token.text;
    case Part::Day: return dayText(date, token.width);
    case Part::Month:
    case Part::MonthOrMinute: return number(date.month(), token.width);
    case Part::MonthName:
        return QLocale().monthName(date.month(), token.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
    case Part::Year: return token.width == 2 ? number(date.year() % 100, 2) : number(date.year(), 4);
    case Part::DayOfYear: return QString::number(date.dayOfYear());
    case Part::Hour: {
        const int hour = twelveHour ? (time.hour() + 11) % 12 + 1 : time.hour();
        return number(hour, token.width);
    }
    case Part::Minute: return number(time.minute(), token.width);
    case Part::Second: return number(time.second(), token.width);
    case Part::WeekDay: return QString::number(date.dayOfWeek() % 7 + 1);
    case Part::Week: return QString::number(weekOfYear(date));
    case Part::Quarter: return QString::number((date.month() - 1) / 3 + 1);
    case Part::HalfDay: return halfDayText(token.text, time.hour());
    }
    return {};
}

// ---- Digit patterns

struct NumberPattern {
    QList<Token> integerPart; // literals and places
    QList<Token> fractionPart;
    bool hasPoint = false;
};

bool isPlace(const Token& token) { return token.part == Part::Place; }

NumberPattern numberPattern(const QString& pattern)
{
    NumberPattern result;
    for (qsizetype i = 0; i < pattern.size();) {
        QList<Token>& tokens = result.hasPoint ? result.fractionPart : result.integerPart;
        const QChar c = pattern[i];
        if (c == u'\\') {
            appendLiteral(tokens, pattern.mid(i + 1, 1));
            i += 2;
            continue;
        }
        if (c == u'"') {
            i = appendQuoted(tokens, pattern, i);
            continue;
        }
        if (c == u'0' || c == u'#')
            tokens.append({Part::Place, 1, QString(c)});
        else if (c == u'.' && !result.hasPoint)
            result.hasPoint = true;
        else
            appendLiteral(tokens, QString(c));
        ++i;
    }
    return result;
}

qsizetype placeCount(const QList<Token>& tokens) { return std::count_if(tokens.cbegin(), tokens.cend(), isPlace); }

// Fills the places from the right; the leftmost place takes every digit left.
QString integerText(const QList<Token>& tokens, const QString& digits)
{
    QString out;
    qsizetype remaining = digits.size();
    qsizetype placesLeft = placeCount(tokens);
    for (qsizetype i = tokens.size() - 1; i >= 0; --i) {
        const Token& token = tokens[i];
        if (!isPlace(token)) {
            out.prepend(token.text);
        } else if (--placesLeft == 0 && remaining > 0) {
            out.prepend(digits.left(remaining));
            remaining = 0;
        } else if (remaining > 0) {
            out.prepend(digits[--remaining]);
        } else if (token.text == QLatin1String("0")) {
            out.prepend(u'0');
        }
    }
    if (remaining > 0) // a pattern without places before the point
        out += digits.left(remaining);
    return out;
}

// Fills the places from the left; "#" places drop trailing zeros.
QString fractionText(const QList<Token>& tokens, const QString& digits)
{
    QList<qsizetype> places;
    for (qsizetype i = 0; i < tokens.size(); ++i)
        if (isPlace(tokens[i]))
            places.append(i);
    qsizetype shown = places.size();
    while (shown > 0 && tokens[places[shown - 1]].text == QLatin1String("#") && digits[shown - 1] == u'0')
        --shown;
    QString out;
    qsizetype place = 0;
    for (const Token& token : tokens) {
        if (!isPlace(token))
            out += token.text;
        else if (place < shown)
            out += digits[place++];
    }
    return out;
}

} // namespace

QString formatDateTime(const QDateTime& dateTime, const QString& pattern)
{
    const QDate date = dateTime.date().isValid() ? dateTime.date() : QDate(1899, 12, 30);
    const QTime time = dateTime.time().isValid() ? dateTime.time() : QTime(0, 0);
    QList<Token> tokens = dateTokens(pattern);
    resolveMonthOrMinute(tokens);
    const bool twelveHour = std::any_of(tokens.cbegin(), tokens.cend(),
                                        [](const Token& t) { return t.part == Part::HalfDay; });
    QString out;
    for (const Token& token : tokens)
        out += partText(token, date, time, twelveHour);
    return out;
}

QString formatTime(const QTime& time, const QString& pattern)
{
    return formatDateTime(QDateTime(QDate(1899, 12, 30), time), pattern);
}

QString formatNumberPattern(const QString& digits, const QString& pattern)
{
    if (!isNumeric(digits))
        return digits;
    const double value = toDouble(digits);
    if (pattern.isEmpty())
        return doubleText(value);

    const NumberPattern parts = numberPattern(pattern);
    const QString plain = QString::number(std::fabs(value), 'f', static_cast<int>(placeCount(parts.fractionPart)));
    const qsizetype point = plain.indexOf(u'.');
    QString integerDigits = point < 0 ? plain : plain.left(point);
    const QString fractionDigits = point < 0 ? QString() : plain.mid(point + 1);
    if (integerDigits == QLatin1String("0"))
        integerDigits.clear(); // a zero shows only through "0" places

    QString out = integerText(parts.integerPart, integerDigits);
    if (parts.hasPoint)
        out += QLocale().decimalPoint() + fractionText(parts.fractionPart, fractionDigits);
    const bool nonZero = std::any_of(plain.cbegin(), plain.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    return value < 0 && nonZero ? u'-' + out : out;
}

QString shortDateText(const QDate& date)
{
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return locale.toString(date, format);
}

} // namespace platform
