#include "worldtime/tzlinks.h"

#include <algorithm>

namespace worldtime {

namespace {

constexpr int kMaxLinkSteps = 8;
constexpr int kMaxNameLength = 255;

bool isNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'+'
        || c == u'-';
}

// The fields of one line, split at blanks and tabs, up to a comment.
QList<QByteArray> fieldsOf(const QByteArray& line)
{
    QList<QByteArray> fields;
    QByteArray field;
    for (const char c : line) {
        if (c == '#')
            break;
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!field.isEmpty())
                fields.append(field);
            field.clear();
        } else {
            field.append(c);
        }
    }
    if (!field.isEmpty())
        fields.append(field);
    return fields;
}

} // namespace

bool isZoneName(const QString& text)
{
    if (text.isEmpty() || text.size() > kMaxNameLength)
        return false;
    const QStringList parts = text.split(u'/');
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
        if (!std::all_of(part.cbegin(), part.cend(), isNameChar))
            return false;
    }
    return true;
}

TzLinks TzLinks::parse(const QByteArray& text)
{
    TzLinks links;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = fieldsOf(line);
        if (fields.size() != 3 || fields[0] != "L")
            continue;
        links.addLink(QString::fromUtf8(fields[1]), QString::fromUtf8(fields[2]));
    }
    return links;
}

void TzLinks::addLink(const QString& target, const QString& link)
{
    if (!isZoneName(target) || !isZoneName(link) || target == link)
        return;
    const auto old = m_targetOf.constFind(link);
    if (old != m_targetOf.cend())
        m_linksTo[*old].removeAll(link);
    m_targetOf.insert(link, target);
    QStringList& to = m_linksTo[target];
    to.insert(std::lower_bound(to.begin(), to.end(), link), link);
}

QString TzLinks::canonical(const QString& name) const
{
    QString current = name;
    for (int step = 0; step < kMaxLinkSteps; ++step) {
        const auto next = m_targetOf.constFind(current);
        if (next == m_targetOf.cend())
            return current;
        current = *next;
    }
    return current;
}

QStringList TzLinks::namesOf(const QString& name) const
{
    const QString target = canonical(name);
    QStringList names{target};
    // Links may point at links: gather every name that ends at the target.
    QStringList pending{target};
    while (!pending.isEmpty() && names.size() < 1000) {
        const QString at = pending.takeFirst();
        for (const QString& link : m_linksTo.value(at)) {
            if (!names.contains(link)) {
                names.append(link);
                pending.append(link);
            }
        }
    }
    std::sort(names.begin() + 1, names.end());
    return names;
}

} // namespace worldtime
