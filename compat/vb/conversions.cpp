#include "compat/vb/conversions.h"

#include <QLocale>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>

namespace platform {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The runtime's number syntax, rewritten for the C locale's reader; nothing
// when the text is not a number.
std::optional<QString> numberSyntax(QStringView text)
{
    text = text.trimmed();
    QString out;
    qsizetype i = 0;
    const auto take = [&] { out += text[i++]; };
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        take();
    int digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++digits)
        take();
    if (i < text.size() && text[i] == u'.') {
        take();
        for (; i < text.size() && isDigit(text[i]); ++digits)
            take();
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && QStringView(u"eEdD").contains(text[i])) {
        out += u'e';
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            take();
        int exponentDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++exponentDigits)
            take();
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    return out;
}

// The value of numeric text: nothing when it is not a number, an infinity
// when it is beyond a Double's range.
std::optional<double> numberValue(const QString& text)
{
    const auto syntax = numberSyntax(text);
    if (!syntax)
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(*syntax, &ok);
    if (!ok && !std::isinf(value))
        return 0.0; // too close to zero for a Double
    return value;
}

bool isWord(const QString& text, QLatin1String word) { return text.trimmed().compare(word, Qt::CaseInsensitive) == 0; }

// The number a numeric conversion starts from.
double convertible(const QString& text)
{
    if (isWord(text, QLatin1String("True")))
        return -1.0;
    if (isWord(text, QLatin1String("False")))
        return 0.0;
    const auto value = numberValue(text);
    if (!value)
        throw RuntimeError::typeMismatch();
    if (std::isinf(*value))
        throw RuntimeError::overflow();
    return *value;
}

double roundHalfToEven(double value)
{
    const double below = std::floor(value);
    if (value - below != 0.5)
        return std::round(value);
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

template <typename Integer>
Integer toInteger(const QString& text)
{
    const double rounded = roundHalfToEven(convertible(text));
    if (rounded < std::numeric_limits<Integer>::min() || rounded > std::numeric_limits<Integer>::max())
        throw RuntimeError::overflow();
    return static_cast<Integer>(rounded);
}

} // namespace

RuntimeError::RuntimeError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
{}

RuntimeError RuntimeError::overflow() { return RuntimeError(Overflow, QStringLiteral("Overflow")); }

RuntimeError RuntimeError::typeMismatch() { return RuntimeError(TypeMismatch, QStringLiteral("Type mismatch")); }

bool toBool(const QString& text) { return convertible(text) != 0.0; }

qint16 toInt16(const QString& text) { return toInteger<qint16>(text); }

qint32 toInt32(const QString& text) { return toInteger<qint32>(text); }

float toSingle(const QString& text)
{
    const double value = convertible(text);
    if (std::fabs(value) > FLT_MAX)
        throw RuntimeError::overflow();
    return static_cast<float>(value);
}

double toDouble(const QString& text) { return convertible(text); }

bool isNumeric(const QString& text)
{
    const auto value = numberValue(text);
    return value && std::isfinite(*value);
}

QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

QString intText(qint64 value) { return QString::number(value); }

QString singleText(float value)
{
    if (value == 0.0f)
        return QStringLiteral("0"); // no "-0"
    return QString::number(static_cast<double>(value), 'G', 7);
}

QString doubleText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    return QString::number(value, 'G', 15);
}

} // namespace platform
