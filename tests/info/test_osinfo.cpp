#include "mainwindow/clsos.h"
#include "platform/desktop/osfacts.h"
#include "platform/desktop/osrelease.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/utsname.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestOsInfo : public QObject {
    Q_OBJECT
private slots:
    void osReleaseValues_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("bare") << QByteArray("ID=debian\n") << "ID"
                              << "debian";
        QTest::newRow("double quotes") << QByteArray("NAME=\"Debian GNU/Linux\"\n") << "NAME"
                                       << "Debian GNU/Linux";
        QTest::newRow("single quotes") << QByteArray("NAME='Arch Linux'\n") << "NAME"
                                       << "Arch Linux";
        QTest::newRow("escapes in double quotes")
            << QByteArray("PRETTY_NAME=\"A \\\"quoted\\\" \\$name\\\\\"\n") << "PRETTY_NAME"
            << "A \"quoted\" $name\\";
        QTest::newRow("other backslash kept") << QByteArray("X=\"a\\nb\"") << "X"
                                              << "a\\nb";
        QTest::newRow("no final line end") << QByteArray("VERSION_ID=12") << "VERSION_ID"
                                           << "12";
        QTest::newRow("CR LF lines") << QByteArray("VERSION_ID=\"12\"\r\nID=x\r\n") << "VERSION_ID"
                                     << "12";
        QTest::newRow("indented") << QByteArray("   ID=fedora\n") << "ID"
                                  << "fedora";
        QTest::newRow("later wins") << QByteArray("ID=a\nID=b\n") << "ID"
                                    << "b";
        QTest::newRow("empty value") << QByteArray("VARIANT=\n") << "VARIANT"
                                     << "";
        QTest::newRow("joined quoting") << QByteArray("X=\"ab\"'cd'ef\n") << "X"
                                        << "abcdef";
        QTest::newRow("control characters dropped") << QByteArray("X=\"a\x01\x1b[31mb\"\n") << "X"
                                                    << "a[31mb";
        QTest::newRow("equals in value") << QByteArray("URL=\"https://x/?a=b\"\n") << "URL"
                                         << "https://x/?a=b";
    }
    void osReleaseValues()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const auto values = platform::parseOsRelease(text);
        QVERIFY2(values.contains(key), qPrintable(key));
        QCOMPARE(values.value(key), value);
    }

    void linesThatAreNotAssignmentsAreSkipped()
    {
        const auto values = platform::parseOsRelease("# NAME=commented\n"
                                                     "\n"
                                                     "not an assignment\n"
                                                     "=nameless\n"
                                                     "1ID=digit first\n"
                                                     "BAD-NAME=x\n"
                                                     "OPEN=\"never closed\n"
                                                     "ID=kept\n");
        QCOMPARE(values.keys(), QStringList{"ID"});
        QCOMPARE(values.value("ID"), QString("kept"));
    }

    void garbageGivesNothingAndNoCrash()
    {
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk += static_cast<char>((i * 131 + 7) % 256);
        const auto values = platform::parseOsRelease(junk);
        for (const QString& v : values)
            for (QChar c : v)
                QVERIFY(c.category() != QChar::Other_Control);
    }

    void factsComeFromEtcThenUsrLib()
    {
        QTemporaryDir root;
        writeFile(root.filePath("usr/lib/os-release"), "PRETTY_NAME=\"From usr lib\"\n");
        platform::OsFacts facts = platform::readOsFactsFrom(root.path());
        QVERIFY(facts.osReleaseFound);
        QCOMPARE(facts.osRelease.value("PRETTY_NAME"), QString("From usr lib"));
        writeFile(root.filePath("etc/os-release"), "PRETTY_NAME=\"From etc\"\n");
        writeFile(root.filePath("etc/debian_version"), "trixie/sid\nsecond line\n");
        facts = platform::readOsFactsFrom(root.path());
        QCOMPARE(facts.osRelease.value("PRETTY_NAME"), QString("From etc"));
        QCOMPARE(facts.debianVersion, QString("trixie/sid"));
    }

    void theKernelRowsComeFromUname()
    {
        QTemporaryDir root;
        struct utsname names {};
        QCOMPARE(uname(&names), 0);
        const clsOS os(platform::readOsFactsFrom(root.path()));
        QCOMPARE(os.build, QString::fromLocal8Bit(names.release));
        QCOMPARE(os.additional, QString::fromLocal8Bit(names.version));
    }

    void aMissingFileGivesLinux()
    {
        QTemporaryDir root;
        const platform::OsFacts facts = platform::readOsFactsFrom(root.path());
        QVERIFY(!facts.osReleaseFound);
        const clsOS os(facts);
        QCOMPARE(os.name, QString("Linux"));
        QCOMPARE(os.version, QString());
        QCOMPARE(os.servicePack, QString());
    }

    void rowsFromASample()
    {
        platform::OsFacts facts;
        facts.osReleaseFound = true;
        facts.osRelease = platform::parseOsRelease("NAME=\"Fedora Linux\"\n"
                                                   "VERSION_ID=40\n"
                                                   "# a comment\n"
                                                   "PRETTY_NAME=\"Fedora Linux 40 (Workstation Edition)\"\n"
                                                   "VARIANT=\"Workstation Edition\"\n");
        facts.kernelRelease = QString("6.8.5-301.fc40.x86_64") + QChar(0);
        facts.kernelVersion = "#1 SMP PREEMPT_DYNAMIC";
        facts.desktop = "ubuntu:GNOME";
        const clsOS os(facts);
        QCOMPARE(os.name, QString("Fedora Linux 40 (Workstation Edition)"));
        QCOMPARE(os.product, QString("Workstation Edition"));
        QCOMPARE(os.version, QString("40"));
        QCOMPARE(os.build, QString("6.8.5-301.fc40.x86_64"));
        QCOMPARE(os.suites, QString("ubuntu/GNOME desktop "));
    }

    void theNameFallsBackToName()
    {
        platform::OsFacts facts;
        facts.osRelease = {{"NAME", "Alpine Linux"}, {"PRETTY_NAME", "  "}};
        QCOMPARE(clsOS(facts).name, QString("Alpine Linux"));
    }

    void suitesWithoutADesktopAreEmpty()
    {
        platform::OsFacts facts;
        QCOMPARE(clsOS(facts).suites, QString());
        facts.sessionType = "tty";
        QCOMPARE(clsOS(facts).suites, QString("tty session "));
    }
};

VANTORA_TEST_MAIN(TestOsInfo)
#include "test_osinfo.moc"
