#pragma once

#include <QString>

#include <stdexcept>

namespace platform {

// A run-time error of the program's runtime: the error number and its text,
// as Err.Number and Err.Description report them.
class RuntimeError : public std::runtime_error {
public:
    static constexpr int Overflow = 6;
    static constexpr int TypeMismatch = 13;

    RuntimeError(int number, const QString& description);

    int number() const noexcept { return m_number; }
    QString description() const { return m_description; }

    static RuntimeError overflow();     // 6 "Overflow"
    static RuntimeError typeMismatch(); // 13 "Type mismatch"

private:
    int m_number;
    QString m_description;
};

// Conversions of stored text, as the runtime converts a string. Numeric text is
// read the same in every locale: optional blanks, an optional sign, digits with
// "." as decimal point and an optional exponent ("1.5E3", also "1.5D3"); no
// thousands separators, currency signs or "&H" hexadecimal. "True" and "False"
// (any case, blanks around allowed) convert to -1 and 0. Anything else, empty
// text included, raises TypeMismatch; a number beyond the target's range
// raises Overflow.

// CBool: "True"/"False", or numeric text (non-zero is True).
bool toBool(const QString& text);
// CInt: rounded half to even, -32768..32767.
qint16 toInt16(const QString& text);
// CLng: rounded half to even, 32-bit range.
qint32 toInt32(const QString& text);
// CSng.
float toSingle(const QString& text);
// CDbl.
double toDouble(const QString& text);

// IsNumeric: whether the text is a number that converts to a Double
// ("True"/"False" are not numeric text).
bool isNumeric(const QString& text);

// The runtime's text of a value, as written to the settings store.
QString boolText(bool value);     // "True" / "False"
QString intText(qint64 value);    // decimal, no leading blank
QString singleText(float value);  // up to 7 significant digits: 6540 -> "6540", 1234.5 -> "1234.5"
QString doubleText(double value); // up to 15 significant digits

} // namespace platform
