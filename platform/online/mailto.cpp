#include "platform/online/mailto.h"

#include <QByteArray>
#include <QStringList>

namespace platform {

namespace {

bool isUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

QString encoded(const QString& text, bool keepAt)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (char c : utf8) {
        if (isUnreserved(c) || (keepAt && c == '@')) {
            out.append(c);
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out.append('%');
        out.append(hex[byte >> 4]);
        out.append(hex[byte & 0x0F]);
    }
    return QString::fromLatin1(out);
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

bool decoded(QStringView text, QString* out)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('%')) {
            bytes.append(QString(c).toUtf8());
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int hi = hexValue(text[i + 1]);
        const int lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        bytes.append(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    *out = QString::fromUtf8(bytes);
    return true;
}

} // namespace

QString withCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            out += QLatin1String("\r\n");
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('\n')) {
            out += QLatin1String("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QString buildMailto(const QString& to, const QString& subject, const QString& body)
{
    return QStringLiteral("mailto:") + encoded(to, true) + QStringLiteral("?subject=") + encoded(subject, false)
        + QStringLiteral("&body=") + encoded(withCrLf(body), false);
}

MailtoParts parseMailto(const QString& uri)
{
    MailtoParts parts;
    if (!uri.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return parts;
    const QStringView rest = QStringView(uri).mid(7);
    const qsizetype question = rest.indexOf(QLatin1Char('?'));
    if (!decoded(question < 0 ? rest : rest.left(question), &parts.to))
        return parts;
    if (question >= 0) {
        for (QStringView field : rest.mid(question + 1).split(QLatin1Char('&'))) {
            const qsizetype eq = field.indexOf(QLatin1Char('='));
            if (eq < 0)
                continue;
            QString name;
            QString value;
            if (!decoded(field.left(eq), &name) || !decoded(field.mid(eq + 1), &value))
                return parts;
            if (name.compare(QLatin1String("subject"), Qt::CaseInsensitive) == 0)
                parts.subject = value;
            else if (name.compare(QLatin1String("body"), Qt::CaseInsensitive) == 0)
                parts.body = value;
        }
    }
    parts.ok = true;
    return parts;
}

} // namespace platform
