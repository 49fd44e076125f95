// Data built into the program and read once at start (the screensaver program
// it writes to disk) does not stay in memory, and reads back unchanged.
#include "platform/system/residentpages.h"
#include "resources/resources.h"
#include "tests/support/mappedmemory.h"
#include "tests/support/testenv.h"

#include <QResource>
#include <QTest>

#include <cstdint>

class TestResidentPages : public QObject {
    Q_OBJECT

    // The resident size of the mapping that holds `address`.
    static qint64 residentKbAround(const void* address)
    {
        const auto at = reinterpret_cast<std::uintptr_t>(address);
        for (const testsupport::MappedRegion& m : testsupport::mappedRegions())
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
