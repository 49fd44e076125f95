#include "online/versionfile.h"

#include "online/stationlist.h"

namespace {

constexpr qint64 kNumberCap = 1'000'000'000'000LL;

bool isSha256(const QString& text)
{
    if (text.size() != 64)
        return false;
    for (QChar c : text)
        if (!c.isDigit() && !(c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))
            return false;
    return true;
}

qint16 compared(qint64 online, qint64 running) { return online > running ? verstate::Newer : verstate::Older; }

} // namespace

QString firstTextLine(const QByteArray& bytes)
{
    const QStringList lines = splitTextLines(decodeListText(bytes));
    return lines.isEmpty() ? QString() : lines.first();
}

VersionFile readVersionFile(const QByteArray& bytes)
{
    const QStringList lines = splitTextLines(decodeListText(bytes));
    VersionFile file;
    if (!lines.isEmpty())
        file.versionLine = lines[0];
    if (lines.size() > 1) {
        const QString digest = lines[1].trimmed().toLower();
        if (isSha256(digest))
            file.sha256 = digest;
    }
    return file;
}

qint64 leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        value = qMin(kNumberCap, value * 10 + (text[i].unicode() - '0'));
    return negative ? -value : value;
}

std::optional<qint16> CmpVersion(const QString& text, const ProgramVersion& running)
{
    const qsizetype p1 = text.indexOf(QLatin1Char('.'));
    if (p1 < 0)
        return std::nullopt;
    const qsizetype p2 = text.indexOf(QLatin1Char('.'), p1 + 1);
    if (p2 < 0)
        return std::nullopt;
    const QStringView view(text);
    const qint64 major = leadingNumber(view.left(p1));
    const qint64 minor = leadingNumber(view.mid(p1 + 1, p2 - p1 - 1));
    const qint64 revision = leadingNumber(view.mid(p2 + 1));
    if (major != running.major)
        return compared(major, running.major);
    if (minor != running.minor)
        return compared(minor, running.minor);
    if (revision != running.revision)
        return compared(revision, running.revision);
    return verstate::Same;
}
