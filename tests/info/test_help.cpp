#include "mainwindow/form1.h"
#include "mainwindow/modshellexec.h"
#include "compat/win32/shell.h"
#include "platform/system/paths.h"
#include "tests/info/infofixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <sys/stat.h>

using testsupport::InfoFixture;

namespace {

// A stand-in for xdg-open that records its argument and exits with a code.
QString writeOpener(const QTemporaryDir& dir, int exitCode)
{
    const QString path = dir.filePath("opener");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > \"%1\"\nexit %2\n")
                   .arg(dir.filePath("opened"))
                   .arg(exitCode)
                   .toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<none>");
}

// Asks the shell to open `file` and waits for its answer (-1: none came).
int openAndWait(platform::Shell& shell, const QString& verb, const QString& file, const QString& directory = {})
{
    std::optional<int> answer;
    shell.shellExecute(verb, file, {}, directory, 1, [&answer](int code) { answer = code; });
    return QTest::qWaitFor([&answer] { return answer.has_value(); }, 60000) ? *answer : -1;
}

// An opener that fails with "no program found" (3) once the test writes a line
// into its pipe: the slow xdg-open of a machine without a browser.
QString writeSlowFailingOpener(const QTemporaryDir& dir)
{
    const QString pipe = dir.filePath("go");
    if (::mkfifo(QFile::encodeName(pipe).constData(), 0600) != 0)
        return {};
    const QString path = dir.filePath("slow-opener");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral("#!/bin/sh\nread line < \"%1\"\nexit 3\n").arg(pipe).toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void theMessageForEachCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("0") << 0 << "Unknown error";
        QTest::newRow("1") << 1 << "Unknown error";
        QTest::newRow("2") << 2 << "File not found";
        QTest::newRow("3") << 3 << "Path not found";
        QTest::newRow("5") << 5 << "Access denied";
        QTest::newRow("8") << 8 << "Out of memory";
        QTest::newRow("11") << 11 << "Invalid EXE file or error in EXE image";
        QTest::newRow("26") << 26 << "A sharing violation occurred";
        QTest::newRow("27") << 27 << "Incomplete or invalid file association";
        QTest::newRow("28") << 28 << "DDE Time out";
        QTest::newRow("29") << 29 << "DDE transaction failed";
        QTest::newRow("30") << 30 << "DDE busy";
        QTest::newRow("31") << 31 << "No association for file extension";
        QTest::newRow("32") << 32 << "DLL not found";
        QTest::newRow("4") << 4 << "Unknown error";
        QTest::newRow("negative") << -7 << "Unknown error";
    }
    void theMessageForEachCode()
    {
        QFETCH(int, code);
        QFETCH(QString, message);
        InfoFixture f;
        QCOMPARE(modShellExec::ShellExecErr(code, false), QString("False"));
        QCOMPARE(f.dialogs().messageCount(), 0);
        QCOMPARE(modShellExec::ShellExecErr(code, true), QString("True"));
        QCOMPARE(f.dialogs().shown().size(), 1);
        const auto& box = f.dialogs().shown().first();
        QCOMPARE(box.title, QString("Vantora Error"));
        QCOMPARE(box.style, platform::mb::Critical);
        QCOMPARE(box.prompt,
                 message
                     + "\r\n\r\nVantora will try to re-install the Help files.\r\nTry again in a few "
                       "seconds...");
    }

    void successShowsNothing()
    {
        InfoFixture f;
        QCOMPARE(modShellExec::ShellExecErr(33, true), QString());
        QCOMPARE(modShellExec::ShellExecErr(42, false), QString());
        QCOMPARE(f.dialogs().messageCount(), 0);
    }

    void F1OpensTheHelpPageBesideTheProgram()
    {
        InfoFixture f;
        Form1* w = f.loadForm1();
        QCOMPARE(f.action("VNHelp")->shortcut(), QKeySequence("F1"));
        QVERIFY(w->actions().contains(f.action("VNHelp")));
        f.trigger("VNHelp");
        QCOMPARE(f.shell().calls().size(), 1);
        const auto& call = f.shell().calls().first();
        QCOMPARE(call.verb, QString("Open"));
        QCOMPARE(call.file, platform::appPath() + "/VN.htm");
        QCOMPARE(call.parameters, QString());
        QCOMPARE(call.directory, QString());
        QCOMPARE(call.showMode, 1);
        QCOMPARE(f.dialogs().messageCount(), 0);
    }

    void aFailureReinstallsTheHelpFiles()
    {
        InfoFixture f;
        f.loadForm1();
        const QString page = platform::appPath() + "/VN.htm";
        QFile::remove(page);
        QDir(platform::appPath() + "/VN_files").removeRecursively();
        QFile::remove(platform::appPath() + "/VN.zip");
        f.shell().answerNext(platform::se::NoAssociation);
        f.trigger("VNHelp");
        QCOMPARE(f.dialogs().messageCount(), 1);
        QVERIFY(f.dialogs().shown().first().prompt.startsWith("No association for file extension\r\n"));
        QVERIFY(QFileInfo::exists(page));
        QVERIFY(QFileInfo(platform::appPath() + "/VN_files").isDir());
        QVERIFY(!QFileInfo::exists(platform::appPath() + "/unzip32.dll"));
        QVERIFY(readAll(page).contains("<html", Qt::CaseInsensitive));
    }

    void xdgOpenExitCodesMapToShellCodes_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("result");
        QTest::newRow("opened") << 0 << platform::se::Success;
        QTest::newRow("syntax") << 1 << platform::se::Unknown;
        QTest::newRow("file missing") << 2 << platform::se::FileNotFound;
        QTest::newRow("no tool") << 3 << platform::se::NoAssociation;
        QTest::newRow("action failed") << 4 << platform::se::InvalidAssociation;
        QTest::newRow("other") << 9 << platform::se::Unknown;
    }
    void xdgOpenExitCodesMapToShellCodes()
    {
        QFETCH(int, exitCode);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QString page = dir.filePath("VN.htm");
        QFile file(page);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        platform::XdgOpenShell shell(writeOpener(dir, exitCode));
        QCOMPARE(openAndWait(shell, "Open", page), result);
        QCOMPARE(readAll(dir.filePath("opened")), QFileInfo(page).absoluteFilePath());
    }

    void theRealShellChecksTheFileFirst()
    {
        QTemporaryDir dir;
        platform::XdgOpenShell shell(writeOpener(dir, 0));
        QCOMPARE(openAndWait(shell, "Open", dir.filePath("missing.htm")), platform::se::FileNotFound);
        QCOMPARE(openAndWait(shell, "Open", dir.filePath("no/such/folder/a.htm")), platform::se::PathNotFound);
        QCOMPARE(openAndWait(shell, "Print", dir.filePath("missing.htm")), platform::se::NoAssociation);
        QVERIFY(!QFileInfo::exists(dir.filePath("opened")));
    }

    void aRelativeFileIsTakenInTheGivenFolder()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("page.htm"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        platform::XdgOpenShell shell(writeOpener(dir, 0));
        QCOMPARE(openAndWait(shell, "open", "page.htm", dir.path()), platform::se::Success);
        QCOMPARE(readAll(dir.filePath("opened")), QFileInfo(dir.filePath("page.htm")).absoluteFilePath());
    }

    void aMissingOpenerIsNoAssociation()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("page.htm"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        platform::XdgOpenShell shell(dir.filePath("no-such-opener"));
        QCOMPARE(openAndWait(shell, "Open", file.fileName()), platform::se::NoAssociation);
    }

    void aSlowFailingOpenerIsAFailureAndTheWindowKeepsWorking()
    {
        InfoFixture f;
        Form1* w = f.loadForm1();
        QTemporaryDir dir;
        platform::XdgOpenShell slow(writeSlowFailingOpener(dir));
        platform::setShell(&slow);
        QFile page(platform::appPath() + "/VN.htm");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        f.trigger("VNHelp");
        // The opener has not answered: nothing is said yet, and the window
        // goes on (its menu commands and its tick still run).
        QCOMPARE(f.dialogs().messageCount(), 0);
        f.trigger("DispDat");
        QVERIFY(!f.action("DispDat")->isChecked());
        QVERIFY(!w->findChild<QLabel*>("Label6")->isVisibleTo(w));
        QFile go(dir.filePath("go"));
        QVERIFY(go.open(QIODevice::WriteOnly));
        go.write("go\n");
        go.close();
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs().messageCount(), 1, 60000);
        QVERIFY(f.dialogs().shown().first().prompt.startsWith("No association for file extension\r\n"));
        QVERIFY(readAll(page.fileName()).contains("<html", Qt::CaseInsensitive));
        platform::setShell(&f.shell());
    }
};

VANTORA_TEST_MAIN(TestHelp)
#include "test_help.moc"
