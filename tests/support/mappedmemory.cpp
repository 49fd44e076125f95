#include "tests/support/mappedmemory.h"

#include <QFile>

namespace testsupport {

QList<MappedRegion> mappedRegions()
{
    QList<MappedRegion> all;
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return all;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields[0].contains('-') && !fields[0].endsWith(':')) {
            const QList<QByteArray> range = fields[0].split('-');
            all.append({range[0].toULongLong(nullptr, 16), range[1].toULongLong(nullptr, 16),
                        fields.size() > 5 ? fields[5] : QByteArray(), 0, 0});
        } else if (!all.isEmpty() && fields.size() >= 2 && fields[0] == "Rss:") {
            all.last().residentKb = fields[1].toLongLong();
        } else if (!all.isEmpty() && fields.size() >= 2 && fields[0] == "Anonymous:") {
            all.last().ownChangesKb = fields[1].toLongLong();
        }
    }
    return all;
}

bool isMapped(const QByteArray& name)
{
    for (const MappedRegion& region : mappedRegions())
        if (region.path.mid(region.path.lastIndexOf('/') + 1).startsWith(name))
            return true;
    return false;
}

} // namespace testsupport
