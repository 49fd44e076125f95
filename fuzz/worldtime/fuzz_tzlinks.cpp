// The links of a zone folder's tzdata.zi: any bytes must parse without a
// crash, every name kept must be a plain zone name, following links must end,
// and a name's group must start with where its links lead.
#include "worldtime/tzlinks.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const worldtime::TzLinks links = worldtime::TzLinks::parse(text);
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        for (const QByteArray& field : fields) {
            const QString name = QString::fromUtf8(field);
            const QString target = links.canonical(name);
            const QStringList group = links.namesOf(name);
            if (group.isEmpty() || group.first() != target)
                std::abort();
            if (target != name && !worldtime::isZoneName(target))
                std::abort();
            for (const QString& member : group)
                if (member != name && !worldtime::isZoneName(member))
                    std::abort();
        }
    }
    return 0;
}
