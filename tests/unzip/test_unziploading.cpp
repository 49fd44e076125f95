// The zip library, and the crypto and compression libraries it brings along,
// are mapped only while the help archive is unpacked: the program unpacks it
// once at start and does not carry them for the rest of its run. This test
// links the program's unzip side alone, as the program does.
#include "core/unzip/unzipfile.h"
#include "resources/resources.h"
#include "tests/support/mappedmemory.h"
#include "tests/support/testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>

class TestUnzipLoading : public QObject {
    Q_OBJECT

    // The resident pages of files mapped now that were not mapped before,
    // less the ones only this process holds (data the loader relocated).
    static qint64 fileContentKbMappedSince(const QList<testsupport::MappedRegion>& before)
    {
        QSet<QByteArray> known;
        for (const testsupport::MappedRegion& file : before)
            known.insert(file.path);
        qint64 kb = 0;
        for (const testsupport::MappedRegion& file : testsupport::mappedRegions())
            if (file.path.startsWith('/') && !known.contains(file.path))
                kb += file.residentKb - file.ownChangesKb;
        return kb;
    }

    static bool writeHelpArchive(const QString& path)
    {
        QFile file(path);
        const QByteArray bytes = platform::loadResource(QStringLiteral("CUSTOM"), 106);
        return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // The sanitizer runs replace dlclose (the sanitizer's own interceptor, and
    // tests/sanitizers/keepmapped.c, which keeps every library mapped so that
    // leak reports can still name it): unmapping is not checked there.
    static bool sharedObjectsCanBeUnloaded()
    {
        void* libc = ::dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
        const bool own = libc && ::dlsym(libc, "dlclose") == ::dlsym(RTLD_DEFAULT, "dlclose");
        if (libc)
            ::dlclose(libc);
        return own;
    }

    QList<testsupport::MappedRegion> before;

private slots:
    void initTestCase() { before = testsupport::mappedRegions(); }

    void zipLibraryIsNotMappedAtStart()
    {
        QVERIFY2(!testsupport::isMapped("libzip.so"), "the zip library is mapped before anything is unpacked");
    }

    void zipLibraryIsMappedOnlyWhileUnpacking()
    {
        if (!sharedObjectsCanBeUnloaded())
            QSKIP("dlclose is replaced in this run");

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString archive = folder.filePath(QStringLiteral("VN.zip"));
        QVERIFY(writeHelpArchive(archive));
        QCOMPARE(MainWin::UnZipFile(archive, folder.path() + QLatin1Char('/')), 0);
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("VN.htm"))).size() > 0);

        QVERIFY2(!testsupport::isMapped("libzip.so"), "the zip library stays mapped after the unpacking");
        // What cannot be unloaded (libcrypto) keeps no file content in memory.
        QCOMPARE(fileContentKbMappedSince(before), 0);
    }

    void unpacksAgainAfterUnloading()
    {
        if (!sharedObjectsCanBeUnloaded())
            QSKIP("dlclose is replaced in this run");
        for (int round = 0; round < 2; ++round) {
            QTemporaryDir folder;
            QVERIFY(folder.isValid());
            const QString archive = folder.filePath(QStringLiteral("VN.zip"));
            QVERIFY(writeHelpArchive(archive));
            QCOMPARE(MainWin::UnZipFile(archive, folder.path() + QLatin1Char('/')), 0);
            QVERIFY(QFileInfo::exists(folder.filePath(QStringLiteral("VN.htm"))));
        }
        QVERIFY(!testsupport::isMapped("libzip.so"));
        QCOMPARE(fileContentKbMappedSince(before), 0);
    }
};

VANTORA_TEST_MAIN(TestUnzipLoading)
#include "test_unziploading.moc"
