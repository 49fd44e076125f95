// Data built into the program and read once at start (the screensaver program
// it writes to disk) does not stay in memory, and reads back unchanged; freed
// heap goes back to the system.
#include "platform/system/residentpages.h"
#include "resources/resources.h"
#include "tests/support/mappedmemory.h"
#include "tests/support/testenv.h"

#include <QResource>
#include <QTest>

#include <cstdint>
#include <dlfcn.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

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

    static qint64 residentHeapKb()
    {
        qint64 kb = 0;
        for (const testsupport::MappedRegion& m : testsupport::mappedRegions())
            if (m.path == "[heap]")
                kb += m.residentKb;
        return kb;
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

    void freedHeapGoesBackToTheSystem()
    {
        if (::dlsym(RTLD_DEFAULT, "__asan_init"))
            QSKIP("the sanitizer's allocator keeps its own heap");
        using Block = std::unique_ptr<char, decltype(&std::free)>;
        constexpr int blocks = 100;
        constexpr std::size_t blockSize = 64 * 1024;
        // From a heap without free pages, so that the blocks need new ones.
        platform::returnFreeHeap();
        const qint64 before = residentHeapKb();
        std::vector<Block> freed;
        for (int i = 0; i < blocks; ++i) {
            freed.emplace_back(static_cast<char*>(std::malloc(blockSize)), &std::free);
            std::memset(freed.back().get(), 1, blockSize);
        }
        // A block in use above the freed ones: the allocator cannot simply
        // shorten the heap, the freed pages lie below memory still in use.
        const Block kept(static_cast<char*>(std::malloc(64)), &std::free);
        std::memset(kept.get(), 2, 64);
        QVERIFY(residentHeapKb() >= before + 4096);
        freed.clear();
        const qint64 afterFree = residentHeapKb();
        platform::returnFreeHeap();
        QVERIFY2(residentHeapKb() < afterFree - 4096, "the freed blocks stay in memory");
        QCOMPARE(kept.get()[63], '\2');
    }
};

VANTORA_TEST_MAIN(TestResidentPages)
#include "test_residentpages.moc"
