#include "platform/system/singleinstance.h"
#include "saverapp/vnmod.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

using VNMod::Switch;

Q_DECLARE_METATYPE(VNMod::Switch)

namespace {

// Runs VN with the arguments; its exit code, or -1 when it is still running
// after a generous while (it was meant to end at once).
int runVN(const QStringList& arguments)
{
    QProcess vn;
    vn.start(QStringLiteral(VN_PROGRAM), arguments);
    if (!vn.waitForFinished(10000)) {
        vn.kill();
        vn.waitForFinished();
        return -1;
    }
    return vn.exitCode();
}

} // namespace

class TestVN : public QObject {
    Q_OBJECT
private slots:
    void switchesAreFoundInTheArgumentsOnly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("variable");
        QTest::addColumn<Switch>("which");
        QTest::addColumn<qint64>("host");
        QTest::newRow("/s") << QStringList{"/s"} << "" << Switch::Saver << qint64(0);
        QTest::newRow("/c") << QStringList{"/c"} << "" << Switch::Settings << qint64(0);
        QTest::newRow("/c:1234") << QStringList{"/c:1234"} << "" << Switch::Settings << qint64(0);
        QTest::newRow("none") << QStringList{} << "" << Switch::None << qint64(0);
        QTest::newRow("/p") << QStringList{"/p", "1234"} << "" << Switch::None << qint64(0);
        QTest::newRow("upper case") << QStringList{"/S"} << "" << Switch::None << qint64(0);
        QTest::newRow("/s before /c") << QStringList{"/c", "/s"} << "" << Switch::Saver << qint64(0);
        QTest::newRow("daemon window") << QStringList{"/s"} << "0x2a00007" << Switch::Saver << qint64(0x2a00007);
        QTest::newRow("decimal window") << QStringList{"/s"} << "44040199" << Switch::Saver << qint64(44040199);
        QTest::newRow("preview window") << QStringList{"/s", "--window-id", "0x1e00004"} << "0x2a00007" << Switch::Saver
                                        << qint64(0x1e00004);
        QTest::newRow("preview window, one word")
            << QStringList{"/s", "--window-id=0x10"} << "" << Switch::Saver << qint64(16);
        QTest::newRow("garbage window") << QStringList{"/s"} << "window" << Switch::Saver << qint64(0);
        QTest::newRow("zero window") << QStringList{"/s"} << "0x0" << Switch::Saver << qint64(0);
        QTest::newRow("settings take no window") << QStringList{"/c"} << "0x10" << Switch::Settings << qint64(0);
    }

    void switchesAreFoundInTheArgumentsOnly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, variable);
        const VNMod::CommandLine line = VNMod::parseCommandLine(arguments, variable);
        QTEST(line.which, "which");
        QTEST(qint64(line.hostWindow.value_or(0)), "host");
    }

    void theProgramsPathIsNotAnArgument()
    {
        // Where the main program writes VN: ".local/share" holds "/s".
        const QString path = QStringLiteral("/home/u/.local/share/Vantora/drive_c/Windows/VN.scr");
        QVERIFY(path.contains("/s"));
        QCOMPARE(VNMod::parseCommandLine({"/c"}, {}).which, Switch::Settings);
    }

    void anythingButTheTwoSwitchesEndsAtOnce()
    {
        QCOMPARE(runVN({"/p", "1234"}), 0);
        QCOMPARE(runVN({}), 0);
        QCOMPARE(runVN({"/a"}), 0);
    }

    void aSecondCopyEndsAtOnce()
    {
        // This process holds VN's lock, as a running copy does.
        QVERIFY(!platform::isAnotherInstanceRunning(QStringLiteral("VN")));
        QCOMPARE(runVN({"/c"}), 0);
        QCOMPARE(runVN({"/s"}), 0);
        platform::releaseInstanceLock();
    }
};

VANTORA_TEST_MAIN(TestVN)
#include "test_vn.moc"
