#include "platform/system/paths.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace platform;

namespace {

QString dataRoot() { return testsupport::environment().dataHome() + "/Vantora"; }

bool staysUnder(const QString& path, const QString& folder)
{
    const QString clean = QDir::cleanPath(path);
    return clean == folder || clean.startsWith(folder + '/');
}

} // namespace

class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void init() { testsupport::environment().wipe(); }

    void driveLetterPathsLandUnderTheDataFolder()
    {
        const QString scr = hostPath("C:\\Windows\\VN.scr");
        QCOMPARE(scr, driveRoot('C') + "/Windows/VN.scr");
        QVERIFY(staysUnder(scr, dataRoot()));
        QCOMPARE(hostPath("c:\\windows\\VN.scr"), driveRoot('c') + "/windows/VN.scr");
        QCOMPARE(hostPath("C:\\VN.log"), driveRoot('C') + "/VN.log");
        QCOMPARE(hostPath("C:\\"), driveRoot('C'));
        QVERIFY(driveRoot('C') != driveRoot('D'));
        QVERIFY(QFileInfo(driveRoot('C')).isDir());
    }

    void relativePathsLandInTheProgramFolder()
    {
        QVERIFY(staysUnder(appPath(), dataRoot()));
        QVERIFY(QFileInfo(appPath()).isDir());
        QCOMPARE(hostPath("VNMemo.log"), appPath() + "/VNMemo.log");
        QCOMPARE(hostPath("VN\\images\\a.gif"), appPath() + "/VN/images/a.gif");
        QCOMPARE(hostPath(""), appPath());
    }

    void noPathEscapesTheMappedFolders_data()
    {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<bool>("onDrive");
        QTest::newRow("relative climb") << "..\\..\\etc" << false;
        QTest::newRow("relative climb to a file") << "..\\..\\..\\etc\\passwd" << false;
        QTest::newRow("climb in the middle") << "VN\\..\\..\\..\\x" << false;
        QTest::newRow("forward slashes") << "../../etc" << false;
        QTest::newRow("drive climb") << "C:\\..\\..\\etc\\passwd" << true;
        QTest::newRow("drive with forward slashes") << "C:/../../../etc" << true;
        QTest::newRow("absolute host path") << "/etc/passwd" << false;
    }
    void noPathEscapesTheMappedFolders()
    {
        QFETCH(QString, windowsPath);
        QFETCH(bool, onDrive);
        const QString mapped = hostPath(windowsPath);
        QVERIFY2(staysUnder(mapped, onDrive ? driveRoot('C') : appPath()), qPrintable(mapped));
        QVERIFY2(!mapped.contains(".."), qPrintable(mapped));
    }

    void theExecutableIsThisProgram()
    {
        QCOMPARE(executablePath(), QCoreApplication::applicationFilePath());
        QVERIFY(QFileInfo(executablePath()).isExecutable());
    }
};

VANTORA_TEST_MAIN(TestPaths)
#include "test_paths.moc"
