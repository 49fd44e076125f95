// Data built into the program and read once at start (the screensaver program
// it writes to disk) does not stay in memory, and reads back unchanged.
#include "platform/system/residentpages.h"
#include "resources/resources.h"
#include "tests/support/testenv.h"

#include <QFile>
#include <QResource>
#include <QTest>

#include <cstdint>

class TestResidentPages : public QObject {
    Q_OBJECT

    struct Mapping {
        std::uintptr_t begin = 0;
        std::uintptr_t end = 0;
        QByteArray path;
        qint64 residentKb = 0;
    };

    static QList<Mapping> mappings()
    {
        QList<Mapping> all;
        QFile smaps(QStringLiteral("/proc/self/smaps"));
        if (!smaps.open(QIODevice::ReadOnly))
            return all;
        for (const QByteArray& line : smaps.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 5 && fields[0].contains('-') && !fields[0].endsWith(':')) {
                const QList<QByteArray> range = fields[0].split('-');
                all.append({range[0].toULongLong(nullptr, 16), range[1].toULongLong(nullptr, 16),
                            fields.size() > 5 ? fields[5] : QByteArray(), 0});
            } else if (!all.isEmpty() && fields.size() >= 2 && fields[0] == "Rss:") {
                all.last().residentKb = fields[1].toLongLong();
            }
        }
        return all;
    }

    // The resident size of the mapping that holds `address`.
    static qint64 residentKbAround(const void* address)
    {
        const auto at = reinterpret_cast<std::uintptr_t>(address);
        for (const Mapping& m : mappings())
            if (m.begin <= at && at < m.end)
                return m.residentKb;
        return -1;
    }

    static constexpr int saverProgram = 105;

private slots:
    void aResourceReadOnceLeavesNoPagesBehind()
    {
        const QResource resource(QStringLiteral(":/vantora/CUSTOM/%1").arg(saverProgram));
        QVERIFY(resource.isValid());
        const qint64 resourceKb = resource.size() / 1024;
        QVERIFY(resourceKb > 256);

        const QByteArray first = platform::loadResource(QStringLiteral("CUSTOM"), saverProgram);
        const qint64 whileRead = residentKbAround(resource.data());
        QVERIFY2(whileRead >= resourceKb / 2, "reading the resource brings it into memory");

        platform::releaseResource(QStringLiteral("CUSTOM"), saverProgram);
        QVERIFY(residentKbAround(resource.data()) <= whileRead - resourceKb + 8);
        QCOMPARE(platform::loadResource(QStringLiteral("CUSTOM"), saverProgram), first);
    }
};

VANTORA_TEST_MAIN(TestResidentPages)
#include "test_residentpages.moc"
