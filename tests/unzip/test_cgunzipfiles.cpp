// The unzip object and its module over the linked unzip library.
#include "archivekit.h"
#include "core/unzip/cgunzipfiles.h"
#include "core/unzip/codemodule.h"
#include "core/unzip/unzipfile.h"
#include "platform/base/dialogs.h"
#include "compat/vb/conversions.h"
#include "platform/system/paths.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <cstring>

using namespace archivekit;

class TestCGUnzipFiles : public QObject {
    Q_OBJECT

    platform::ScriptedDialogs m_dialogs;

    static QString program() { return platform::appPath(); }
    static QString work() { return QDir::tempPath() + "/cgunzip"; }

    static QString encryptedArchive()
    {
        const QString folder = work() + "/enc";
        if (!writeFile(folder + "/a.txt", "first\n") || !writeFile(folder + "/b.txt", "second\n")
            || !runZip(folder, {"enc.zip", "-P", "secret", "a.txt", "b.txt"}))
            return {};
        return folder + "/enc.zip";
    }

private slots:
    void initTestCase()
    {
        platform::setDialogs(&m_dialogs);
        QVERIFY(makeHelpArchive(work() + "/src", "VN.zip"));
        QVERIFY(QFile::copy(work() + "/src/VN.zip", program() + "/VN.zip"));
    }

    void cleanupTestCase() { platform::setDialogs(nullptr); }

    void init()
    {
        m_dialogs.clear();
        QDir(work() + "/out").removeRecursively();
    }

    void defaults()
    {
        const CGUnzipFiles unzip;
        QCOMPARE(unzip.ExtractNewer(), false);
        QCOMPARE(unzip.SpaceToUnderScore(), false);
        QCOMPARE(unzip.PromptOverwrite(), false);
        QCOMPARE(unzip.MessageLevel(), 2);
        QCOMPARE(unzip.WriteToStdOut(), false);
        QCOMPARE(unzip.TestZip(), false);
        QCOMPARE(unzip.ExtractList(), 0);
        QCOMPARE(unzip.ExtractOnlyNewer(), false);
        QCOMPARE(unzip.DisplayComment(), false);
        QCOMPARE(unzip.HonorDirectories(), true);
        QCOMPARE(unzip.OverWriteFiles(), true);
        QCOMPARE(unzip.ConvertCRtoCRLF(), false);
        QCOMPARE(unzip.Verbose(), false);
        QCOMPARE(unzip.CaseSensitive(), true);
        QCOMPARE(unzip.Privilege(), 0);
        QCOMPARE(unzip.ZipFileName(), QString());
        QCOMPARE(unzip.ExtractDir(), QString());
    }

    void booleansAreKeptAsOneOrZero()
    {
        CGUnzipFiles unzip;
        unzip.setPromptOverwrite(true);
        unzip.setHonorDirectories(false);
        QCOMPARE(unzip.options().PromptOverwrite, qint16(1));
        QCOMPARE(unzip.options().HonorDirectories, qint16(0));
        QCOMPARE(unzip.PromptOverwrite(), true);
        QCOMPARE(unzip.HonorDirectories(), false);
    }

    void unpacksWithNoLibraryFileBesideTheProgram()
    {
        QVERIFY(!QFileInfo::exists(program() + "/unzip32.dll"));
        QCOMPARE(MainWin::UnZipFile(program() + "/VN.zip", work() + "/out"), 0);
        QCOMPARE(readFile(work() + "/out/VN.htm"), helpPage());
    }

    void defaultsUnpackTheHelpArchiveBesideTheProgramAgainAndAgain()
    {
        QCOMPARE(MainWin::UnZipFile(program() + "/VN.zip", program() + "/"), 0);
        QCOMPARE(readFile(program() + "/VN_files/image001.gif"), helpImage());
        // A later start finds the files of this one: overwritten, no question.
        QVERIFY(writeFile(program() + "/VN.htm", "edited"));
        QVERIFY(QDir(program() + "/VN_files").removeRecursively());
        QCOMPARE(MainWin::UnZipFile(program() + "/VN.zip", program() + "/"), 0);
        QCOMPARE(readFile(program() + "/VN.htm"), helpPage());
        QCOMPARE(readFile(program() + "/VN_files/filelist.xml"), helpList());
        QVERIFY(m_dialogs.shown().isEmpty());
        QCOMPARE(CGUnzipFiles().GetLastMessage(), QString());
    }

    void propertiesAndArgumentsNameTheArchiveAndFolder()
    {
        CGUnzipFiles unzip;
        unzip.setZipFileName(program() + "/VN.zip");
        unzip.setExtractDir(work() + "/out");
        QCOMPARE(unzip.Unzip(QString(), QString()), 0);
        QVERIFY(QFileInfo::exists(work() + "/out/VN.htm"));
        QCOMPARE(unzip.Unzip(QString(), work() + "/other"), 0);
        QCOMPARE(unzip.ExtractDir(), work() + "/other");
        QVERIFY(QFileInfo::exists(work() + "/other/VN.htm"));
    }

    void overwriteQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("pageReplaced");
        QTest::addColumn<bool>("listReplaced");
        QTest::addColumn<int>("questions");
        QTest::newRow("yes") << platform::mb::Yes << true << true << 2;
        QTest::newRow("no") << platform::mb::No << false << false << 2;
        QTest::newRow("cancel replaces none of the rest") << platform::mb::Cancel << false << false << 1;
    }

    void overwriteQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, pageReplaced);
        QFETCH(bool, listReplaced);
        QFETCH(int, questions);
        QVERIFY(writeFile(work() + "/out/VN.htm", "old page"));
        QVERIFY(writeFile(work() + "/out/VN_files/filelist.xml", "old list"));
        m_dialogs.answerNextMessage(answer);
        m_dialogs.answerNextMessage(answer);
        CGUnzipFiles unzip;
        unzip.setOverWriteFiles(false);
        unzip.setPromptOverwrite(true);
        QCOMPARE(unzip.Unzip(program() + "/VN.zip", work() + "/out"), 0);
        QCOMPARE(readFile(work() + "/out/VN.htm"), pageReplaced ? helpPage() : QByteArray("old page"));
        QCOMPARE(readFile(work() + "/out/VN_files/filelist.xml"), listReplaced ? helpList() : QByteArray("old list"));
        QCOMPARE(readFile(work() + "/out/VN_files/image001.gif"), helpImage());
        QCOMPARE(m_dialogs.messageCount(), questions);
        const auto& box = m_dialogs.shown().first();
        QCOMPARE(box.prompt, "Overwrite " + work() + "/out/VN.htm?");
        QCOMPARE(box.style, platform::mb::YesNoCancel + platform::mb::Exclamation);
        QCOMPARE(box.title, QString("Vantora"));
    }

    void passwordQuestion_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("right") << QStringList{"secret"} << 0 << 1 << QStringList{"a.txt", "b.txt"};
        QTest::newRow("wrong, then right") << QStringList{"wrong", "secret"} << 0 << 2 << QStringList{"a.txt", "b.txt"};
        // Giving up once stops every later question of the same call.
        QTest::newRow("empty answer") << QStringList{""} << 82 << 1 << QStringList{};
    }

    void passwordQuestion()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, result);
        QFETCH(int, questions);
        QFETCH(QStringList, written);
        const QString archive = encryptedArchive();
        QVERIFY(!archive.isEmpty());
        for (const QString& answer : answers)
            m_dialogs.answerNextInput(answer);
        CGUnzipFiles unzip;
        QCOMPARE(unzip.Unzip(archive, work() + "/out"), result);
        QCOMPARE(m_dialogs.inputCount(), questions);
        QCOMPARE(m_dialogs.shown().first().prompt, QString("Please Enter The Password!"));
        QCOMPARE(m_dialogs.shown().first().defaultText, QString());
        QCOMPARE(tree(work() + "/out"), written);
        if (result != 0)
            QVERIFY(unzip.GetLastMessage().contains("skipping: b.txt"));
    }

    void theGiveUpLastsOneCallOnly()
    {
        const QString archive = encryptedArchive();
        m_dialogs.answerNextInput(QString());
        QCOMPARE(CGUnzipFiles().Unzip(archive, work() + "/out"), 82);
        m_dialogs.answerNextInput("secret");
        QCOMPARE(CGUnzipFiles().Unzip(archive, work() + "/out"), 0);
        QCOMPARE(m_dialogs.inputCount(), 2);
    }

    void hostileMembersAreReportedAndNothingLeavesTheFolder()
    {
        const QString outside = QDir::tempPath() + "/cg-outside";
        QVERIFY(makeRaw(work() + "/hostile.zip",
                        {{"../evil", "x"}, {QFile::encodeName(outside), "x"}, {"fine.txt", "fine"}}));
        CGUnzipFiles unzip;
        QCOMPARE(unzip.Unzip(work() + "/hostile.zip", work() + "/out"), 1);
        QCOMPARE(tree(work() + "/out"), QStringList({"fine.txt"}));
        QVERIFY(!QFileInfo::exists(work() + "/evil"));
        QVERIFY(!QFileInfo::exists(outside));
        QCOMPARE(unzip.GetLastMessage(),
                 "skipping: ../evil  (unsafe path: contains \"..\")\r\n"
                 "skipping: "
                     + outside + "  (unsafe path: absolute path)\r\n");
    }

    void notAnArchive()
    {
        QVERIFY(writeFile(work() + "/text.zip", "plain text"));
        CGUnzipFiles unzip;
        QCOMPARE(unzip.Unzip(work() + "/text.zip", work() + "/out"), 9);
        QCOMPARE(unzip.GetLastMessage(), "error: not a zipfile: " + work() + "/text.zip\r\n");
        QCOMPARE(unzip.Unzip(work() + "/none.zip", work() + "/out"), 9);
        QVERIFY(unzip.GetLastMessage().startsWith("error: cannot find zipfile"));
    }

    void testAndListModesWriteNothing()
    {
        CGUnzipFiles test;
        test.setTestZip(true);
        QCOMPARE(test.Unzip(program() + "/VN.zip", work() + "/out"), 0);
        QVERIFY(!QFileInfo::exists(work() + "/out"));

        CGUnzipFiles list;
        list.setExtractList(1);
        QCOMPARE(list.Unzip(program() + "/VN.zip", work() + "/out"), 0);
        QVERIFY(!QFileInfo::exists(work() + "/out"));
        QCOMPARE(CodeModule::ListingCount(), qint16(4));
        const QStringList lines = CodeModule::ListingText().split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2 + 4);
        QVERIFY(lines[0].contains("Name"));
        QVERIFY(lines[5].endsWith(" VN_files/image001.gif"));
        QVERIFY(lines[5].contains("Deflated"));
    }

    void integerPropertiesTravelAs16Bits()
    {
        CGUnzipFiles unzip;
        unzip.setMessageLevel(0x10000); // 0 once narrowed: every line printed
        QCOMPARE(unzip.Unzip(program() + "/VN.zip", work() + "/out"), 0);
        QVERIFY(unzip.GetLastMessage().startsWith("Archive:  " + program() + "/VN.zip\r\n"));
        QVERIFY(unzip.GetLastMessage().contains("  inflating: VN_files/image001.gif\r\n"));
    }

    void theMessageIsResetByEveryCall()
    {
        CGUnzipFiles unzip;
        QCOMPARE(unzip.Unzip(work() + "/none.zip", work() + "/out"), 9);
        QVERIFY(!unzip.GetLastMessage().isEmpty());
        QCOMPARE(unzip.Unzip(program() + "/VN.zip", work() + "/out"), 0);
        QCOMPARE(unzip.GetLastMessage(), QString());
    }

    void printPiecesStartingWithALineFeedBecomeCrLf()
    {
        char piece[] = "\nrest is dropped";
        char text[] = "text";
        CodeModule::UnzipCall(work() + "/none.zip", work() + "/out", CodeModule::UnzipOptions{});
        const QString before = CodeModule::UnzipMsg();
        CodeModule::UnzipPrint(text, 4);
        CodeModule::UnzipPrint(piece, sizeof piece - 1);
        QCOMPARE(CodeModule::UnzipMsg(), before + "text\r\n");
        QCOMPARE(CodeModule::UnzipPrint(nullptr, 5), 0);
    }

    void passwordAnswerFitsTheBuffer()
    {
        CodeModule::UnzipCall(work() + "/none.zip", work() + "/out", CodeModule::UnzipOptions{});
        char buffer[6];
        std::memset(buffer, 'x', sizeof buffer);
        m_dialogs.answerNextInput("longer than the room");
        QCOMPARE(CodeModule::UnzipPassword(buffer, sizeof buffer, "", "a.txt"), 0);
        QCOMPARE(QByteArray(buffer), QByteArray("longe"));
    }
};

VANTORA_TEST_MAIN(TestCGUnzipFiles)
#include "test_cgunzipfiles.moc"
