// The unzip library called directly, through its C interface.
#include "archivekit.h"
#include "compat/unzip/unzip32.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace archivekit;

namespace {

struct ListLine {
    QString name;
    QString method;
    unsigned long size = 0;
    unsigned long compressedSize = 0;
    unsigned ratio = 0;
    unsigned year = 0;
    int encrypted = 0;
};

// What the call-backs saw, and what they answer.
struct Recorder {
    QString printed;
    QList<int> replaceAnswers; // empty queue: IDM_REPLACE_NO
    QStringList replaceAsked;
    QList<QByteArray> passwords; // an empty entry or an empty queue: skip
    QStringList passwordPrompts;
    QStringList passwordNames;
    QStringList serviced;
    int cancelAtService = -1; // index of the service call that cancels
    QList<ListLine> listed;
    int sounds = 0;
};

Recorder* recorder = nullptr;

int recordPrint(char* buffer, unsigned long size)
{
    recorder->printed += QString::fromUtf8(buffer, static_cast<qsizetype>(size));
    return static_cast<int>(size);
}

int recordSound()
{
    ++recorder->sounds;
    return 0;
}

int recordReplace(char* fileName)
{
    recorder->replaceAsked.append(QString::fromUtf8(fileName));
    return recorder->replaceAnswers.isEmpty() ? IDM_REPLACE_NO : recorder->replaceAnswers.takeFirst();
}

int recordPassword(char* buffer, int size, const char* prompt, const char* name)
{
    recorder->passwordPrompts.append(QString::fromUtf8(prompt));
    recorder->passwordNames.append(QString::fromUtf8(name));
    const QByteArray answer = recorder->passwords.isEmpty() ? QByteArray() : recorder->passwords.takeFirst();
    if (answer.isEmpty())
        return UZ_PASSWORD_SKIP;
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::memcpy(buffer, answer.constData(), static_cast<size_t>(qMin<qsizetype>(answer.size(), size - 1)));
    return UZ_PASSWORD_GIVEN;
}

void recordListLine(unsigned long size, unsigned long compressedSize, unsigned ratio, unsigned, unsigned, unsigned year,
                    unsigned, unsigned, unsigned long, int encrypted, const char* method, const char* name)
{
    recorder->listed.append(
        {QString::fromUtf8(name), QString::fromUtf8(method), size, compressedSize, ratio, year, encrypted});
}

int recordService(const char* name, unsigned long)
{
    const int index = static_cast<int>(recorder->serviced.size());
    recorder->serviced.append(QString::fromUtf8(name));
    return index == recorder->cancelAtService ? 1 : 0;
}

// One library call with the program's default options.
struct Call {
    QByteArray zipFile;
    QByteArray folder;
    QList<QByteArray> include;
    QList<QByteArray> exclude;
    DCL dcl{};
    USERFUNCTION callbacks{};

    Call(const QString& zip, const QString& into) : zipFile(QFile::encodeName(zip)), folder(QFile::encodeName(into))
    {
        dcl.ndflag = 1;
        dcl.noflag = 1;
        dcl.C_flag = 1;
        callbacks.print = recordPrint;
        callbacks.sound = recordSound;
        callbacks.replace = recordReplace;
        callbacks.password = recordPassword;
        callbacks.applicationMessage = recordListLine;
        callbacks.service = recordService;
    }

    int run()
    {
        dcl.lpszZipFN = zipFile.data();
        dcl.lpszExtractDir = folder.data();
        QList<char*> in, ex;
        for (QByteArray& name : include)
            in.append(name.data());
        for (QByteArray& name : exclude)
            ex.append(name.data());
        return Wiz_SingleEntryUnzip(static_cast<int>(in.size()), in.data(), static_cast<int>(ex.size()), ex.data(),
                                    &dcl, &callbacks);
    }
};

} // namespace

class TestUnzip32 : public QObject {
    Q_OBJECT

    QTemporaryDir* m_dir = nullptr;
    Recorder m_recorder;

    QString root() const { return m_dir->path(); }
    QString out() const { return root() + "/out"; }
    QString helpZip() const { return root() + "/src/help.zip"; }

    QStringList helpTree() const { return {"VN.htm", "VN_files", "VN_files/filelist.xml", "VN_files/image001.gif"}; }

    // Extracts the help archive once so later runs meet existing files.
    void prepareExisting(const QByteArray& page, const QByteArray& list)
    {
        QVERIFY(writeFile(out() + "/VN.htm", page));
        QVERIFY(writeFile(out() + "/VN_files/filelist.xml", list));
    }

    QString encryptedArchive(const QStringList& plainFiles = {})
    {
        const QString folder = root() + "/enc";
        if (!writeFile(folder + "/a.txt", "first secret\n") || !writeFile(folder + "/b.txt", "second secret\n")
            || !writeFile(folder + "/c.txt", "plain\n"))
            return {};
        if (!runZip(folder, {"enc.zip", "-P", "secret", "a.txt", "b.txt"}))
            return {};
        if (!plainFiles.isEmpty() && !runZip(folder, QStringList{"enc.zip"} + plainFiles))
            return {};
        return folder + "/enc.zip";
    }

private slots:
    void initTestCase() { recorder = &m_recorder; }

    void init()
    {
        m_dir = new QTemporaryDir(QDir::tempPath() + "/unzip32-XXXXXX");
        QVERIFY(m_dir->isValid());
        m_recorder = Recorder{};
        QVERIFY(makeHelpArchive(root() + "/src", "help.zip"));
    }

    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
    }

    void extractRecreatesFoldersAndReportsTotals()
    {
        Call call(helpZip(), out());
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(tree(out()), helpTree());
        QCOMPARE(readFile(out() + "/VN.htm"), helpPage());
        QCOMPARE(readFile(out() + "/VN_files/image001.gif"), helpImage());
        QCOMPARE(call.callbacks.NumMembers, 4u);
        QCOMPARE(call.callbacks.TotalSize, quint64(helpPage().size() + helpList().size() + helpImage().size()));
        QVERIFY(call.callbacks.TotalSizeComp > 0 && call.callbacks.TotalSizeComp < call.callbacks.TotalSize);
        QVERIFY(call.callbacks.CompFactor > 0 && call.callbacks.CompFactor <= 100);
        QCOMPARE(m_recorder.serviced,
                 QStringList({"VN.htm", "VN_files/", "VN_files/filelist.xml", "VN_files/image001.gif"}));
        QCOMPARE(m_recorder.sounds, 1);
        // The files keep the archive's dates (two-second grain).
        QVERIFY(qAbs(modified(out() + "/VN.htm") - modified(root() + "/src/VN.htm")) <= 2);
        QVERIFY(m_recorder.printed.contains("  inflating: VN_files/image001.gif\n"));
        QVERIFY(m_recorder.printed.contains("   creating: VN_files/\n"));
    }

    void withoutFoldersEveryFileLandsInTheExtractFolder()
    {
        Call call(helpZip(), out());
        call.dcl.ndflag = 0;
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(tree(out()), QStringList({"VN.htm", "filelist.xml", "image001.gif"}));
    }

    void defaultsOverwriteWithoutAQuestion()
    {
        prepareExisting("old page", "old list");
        Call call(helpZip(), out());
        call.dcl.PromptToOverwrite = 1; // noflag wins
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(readFile(out() + "/VN.htm"), helpPage());
        QCOMPARE(readFile(out() + "/VN_files/filelist.xml"), helpList());
        QVERIFY(m_recorder.replaceAsked.isEmpty());
    }

    void replaceAnswers_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("pageReplaced");
        QTest::addColumn<bool>("listReplaced");
        QTest::addColumn<int>("questions");
        QTest::newRow("yes, yes") << QList<int>{IDM_REPLACE_YES, IDM_REPLACE_YES} << true << true << 2;
        QTest::newRow("no, no") << QList<int>{IDM_REPLACE_NO, IDM_REPLACE_NO} << false << false << 2;
        QTest::newRow("yes, no") << QList<int>{IDM_REPLACE_YES, IDM_REPLACE_NO} << true << false << 2;
        QTest::newRow("none stops asking") << QList<int>{IDM_REPLACE_NONE} << false << false << 1;
        QTest::newRow("all stops asking") << QList<int>{IDM_REPLACE_ALL} << true << true << 1;
        QTest::newRow("no, then none") << QList<int>{IDM_REPLACE_NO, IDM_REPLACE_NONE} << false << false << 2;
        QTest::newRow("unknown answers keep") << QList<int>{101, 0} << false << false << 2;
    }

    void replaceAnswers()
    {
        QFETCH(QList<int>, answers);
        QFETCH(bool, pageReplaced);
        QFETCH(bool, listReplaced);
        QFETCH(int, questions);
        prepareExisting("old page", "old list");
        m_recorder.replaceAnswers = answers;
        Call call(helpZip(), out());
        call.dcl.noflag = 0;
        call.dcl.PromptToOverwrite = 1;
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(readFile(out() + "/VN.htm"), pageReplaced ? helpPage() : QByteArray("old page"));
        QCOMPARE(readFile(out() + "/VN_files/filelist.xml"), listReplaced ? helpList() : QByteArray("old list"));
        // A file that is not there yet is written whatever was answered.
        QCOMPARE(readFile(out() + "/VN_files/image001.gif"), helpImage());
        QCOMPARE(m_recorder.replaceAsked.size(), questions);
        QCOMPARE(m_recorder.replaceAsked.first(), out() + "/VN.htm");
    }

    void withoutOverwriteOrPromptExistingFilesStay()
    {
        prepareExisting("old page", "old list");
        Call call(helpZip(), out());
        call.dcl.noflag = 0;
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(readFile(out() + "/VN.htm"), QByteArray("old page"));
        QCOMPARE(readFile(out() + "/VN_files/image001.gif"), helpImage());
        QVERIFY(m_recorder.replaceAsked.isEmpty());
    }

    void freshenReplacesOnlyOlderExistingFiles()
    {
        prepareExisting("old page", "newer list");
        QVERIFY(setModified(out() + "/VN.htm", 946684800));                 // 2000
        QVERIFY(setModified(out() + "/VN_files/filelist.xml", 4102444800)); // 2100
        Call call(helpZip(), out());
        call.dcl.nfflag = 1;
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(readFile(out() + "/VN.htm"), helpPage());
        QCOMPARE(readFile(out() + "/VN_files/filelist.xml"), QByteArray("newer list"));
        QVERIFY(!QFileInfo::exists(out() + "/VN_files/image001.gif"));
    }

    void updateAddsNewFilesAndReplacesOlderOnesWithoutAsking()
    {
        prepareExisting("old page", "newer list");
        QVERIFY(setModified(out() + "/VN.htm", 946684800));
        QVERIFY(setModified(out() + "/VN_files/filelist.xml", 4102444800));
        Call call(helpZip(), out());
        call.dcl.ExtractOnlyNewer = 1;
        call.dcl.noflag = 0;
        call.dcl.PromptToOverwrite = 1;
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(readFile(out() + "/VN.htm"), helpPage());
        QCOMPARE(readFile(out() + "/VN_files/filelist.xml"), QByteArray("newer list"));
        QCOMPARE(readFile(out() + "/VN_files/image001.gif"), helpImage());
        QVERIFY(m_recorder.replaceAsked.isEmpty());
    }

    void blanksBecomeUnderscores()
    {
        QVERIFY(writeFile(root() + "/sp/my pics/a b.gif", "gif"));
        QVERIFY(runZip(root() + "/sp", {"sp.zip", "my pics/a b.gif"}));
        Call call(root() + "/sp/sp.zip", out());
        call.dcl.SpaceToUnderscore = 1;
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(tree(out()), QStringList({"my_pics", "my_pics/a_b.gif"}));
    }

    void lineEndsOfTextMembersBecomeCrLf()
    {
        QByteArray binary("bin\n\0\nary", 10);
        QVERIFY(writeFile(root() + "/crlf/t.txt", "a\nb\r\nc\n"));
        QVERIFY(writeFile(root() + "/crlf/b.bin", binary));
        QVERIFY(runZip(root() + "/crlf", {"crlf.zip", "t.txt", "b.bin"}));
        Call call(root() + "/crlf/crlf.zip", out());
        call.dcl.naflag = 1;
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(readFile(out() + "/t.txt"), QByteArray("a\r\nb\r\nc\r\n"));
        QCOMPARE(readFile(out() + "/b.bin"), binary);
    }

    void passwords_data()
    {
        QTest::addColumn<QList<QByteArray>>("answers");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("written");
        // The right password is kept for the next member: one question.
        QTest::newRow("right") << QList<QByteArray>{"secret"} << int(PK_OK) << 1 << QStringList{"a.txt", "b.txt"};
        QTest::newRow("wrong, then right")
            << QList<QByteArray>{"nope", "secret"} << int(PK_OK) << 2 << QStringList{"a.txt", "b.txt"};
        QTest::newRow("skipped") << QList<QByteArray>{} << int(IZ_BADPWD) << 2 << QStringList{};
        QTest::newRow("three wrong, then skip")
            << QList<QByteArray>{"x", "y", "z"} << int(IZ_BADPWD) << 4 << QStringList{};
        QTest::newRow("first skipped, second right")
            << QList<QByteArray>{"", "secret"} << int(PK_WARN) << 2 << QStringList{"b.txt"};
    }

    void passwords()
    {
        QFETCH(QList<QByteArray>, answers);
        QFETCH(int, result);
        QFETCH(int, questions);
        QFETCH(QStringList, written);
        const QString archive = encryptedArchive();
        QVERIFY(!archive.isEmpty());
        m_recorder.passwords = answers;
        Call call(archive, out());
        QCOMPARE(call.run(), result);
        QCOMPARE(m_recorder.passwordPrompts.size(), questions);
        QCOMPARE(m_recorder.passwordNames.first(), QString("a.txt"));
        QCOMPARE(tree(out()), written);
        if (written.contains("b.txt"))
            QCOMPARE(readFile(out() + "/b.txt"), QByteArray("second secret\n"));
    }

    void aWrongPasswordIsAskedForAgain()
    {
        const QString archive = encryptedArchive();
        m_recorder.passwords = {"nope", "secret"};
        Call call(archive, out());
        QCOMPARE(call.run(), int(PK_OK));
        QVERIFY(m_recorder.passwordPrompts[0] != m_recorder.passwordPrompts[1]);
        QCOMPARE(m_recorder.passwordNames, QStringList({"a.txt", "a.txt"}));
    }

    void skippedPasswordsBesidePlainMembersWarn()
    {
        const QString archive = encryptedArchive({"c.txt"});
        Call call(archive, out());
        QCOMPARE(call.run(), int(PK_WARN));
        QCOMPARE(tree(out()), QStringList({"c.txt"}));
        QVERIFY(m_recorder.printed.contains("skipping: a.txt  (no password given)"));
    }

    void unsafeNamesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("wouldLandAt");
        QTest::newRow("parent") << QByteArray("../evil") << "evil";
        QTest::newRow("deeper parent") << QByteArray("a/../../evil") << "evil";
        QTest::newRow("backslash parent") << QByteArray("..\\evil") << "evil";
        QTest::newRow("absolute") << QFile::encodeName(QDir::tempPath()) + "/absolute-target"
                                  << "";
        QTest::newRow("drive letter") << QByteArray("C:\\evil") << "evil";
        QTest::newRow("drive relative") << QByteArray("C:evil") << "evil";
    }

    void unsafeNamesAreRefused()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, wouldLandAt);
        const QString archive = root() + "/hostile.zip";
        QVERIFY(makeRaw(archive, {{"ok.txt", "fine"}, {name, "owned"}, {"last.txt", "fine too"}}));
        Call call(archive, out());
        call.dcl.fQuiet = 2;
        QCOMPARE(call.run(), int(PK_WARN));
        QCOMPARE(tree(out()), QStringList({"last.txt", "ok.txt"}));
        QVERIFY2(m_recorder.printed.contains("skipping: " + QString::fromUtf8(name)), qPrintable(m_recorder.printed));
        if (!wouldLandAt.isEmpty())
            QVERIFY(!QFileInfo::exists(root() + "/" + wouldLandAt));
        else
            QVERIFY(!QFileInfo::exists(QFile::decodeName(name)));
    }

    void symbolicLinkMembersAreNotCreated()
    {
        const QString archive = root() + "/link.zip";
        QVERIFY(makeRaw(archive, {{"link", root().toUtf8() + "/target", S_IFLNK | 0777}, {"link/x", "through"}}));
        Call call(archive, out());
        QCOMPARE(call.run(), int(PK_WARN));
        QVERIFY(m_recorder.printed.contains("skipping: link  (symbolic link not created)"));
        QVERIFY(!QFileInfo::exists(root() + "/target"));
        // "link/x" made a real folder, not a link.
        QVERIFY(!QFileInfo(out() + "/link").isSymLink());
    }

    void linksAlreadyInTheFolderAreNotFollowed()
    {
        QVERIFY(QDir().mkpath(root() + "/elsewhere"));
        QVERIFY(writeFile(root() + "/elsewhere/page.htm", "keep"));
        QVERIFY(QDir().mkpath(out()));
        QVERIFY(QFile::link(root() + "/elsewhere", out() + "/VN_files"));
        QVERIFY(QFile::link(root() + "/elsewhere/page.htm", out() + "/VN.htm"));
        Call call(helpZip(), out());
        QCOMPARE(call.run(), int(PK_WARN));
        QCOMPARE(tree(root() + "/elsewhere"), QStringList({"page.htm"}));
        QCOMPARE(readFile(root() + "/elsewhere/page.htm"), QByteArray("keep"));
        // The link standing where a file goes is replaced by the file.
        QVERIFY(!QFileInfo(out() + "/VN.htm").isSymLink());
        QCOMPARE(readFile(out() + "/VN.htm"), helpPage());
        QVERIFY(m_recorder.printed.contains("a link or a file is in the way"));
    }

    void notAnArchive_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing"
                                 << "cannot find zipfile";
        QTest::newRow("text") << "text"
                              << "not a zipfile";
        QTest::newRow("empty") << "empty"
                               << "not a zipfile";
        QTest::newRow("folder") << "folder"
                                << "not a zipfile";
        QTest::newRow("truncated") << "truncated"
                                   << "not a zipfile";
    }

    void notAnArchive()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = root() + "/bad.zip";
        if (kind == "text")
            QVERIFY(writeFile(path, "This is not an archive.\n"));
        else if (kind == "empty")
            QVERIFY(writeFile(path, ""));
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        else if (kind == "truncated")
            QVERIFY(writeFile(path, readFile(helpZip()).left(200)));
        Call call(path, out());
        call.dcl.fQuiet = 2;
        QCOMPARE(call.run(), int(PK_NOZIP));
        QVERIFY2(m_recorder.printed.contains(message), qPrintable(m_recorder.printed));
        QVERIFY(!QFileInfo::exists(out()));
    }

    void anEmptyArchiveWarns()
    {
        const QString path = root() + "/empty.zip";
        QVERIFY(writeFile(path, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'))); // end record only
        Call call(path, out());
        QCOMPARE(call.run(), int(PK_WARN));
        QVERIFY(m_recorder.printed.contains("zipfile is empty"));
        QCOMPARE(call.callbacks.NumMembers, 0u);
    }

    void nameLists_data()
    {
        QTest::addColumn<QList<QByteArray>>("include");
        QTest::addColumn<QList<QByteArray>>("exclude");
        QTest::addColumn<int>("caseSensitive");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("star") << QList<QByteArray>{"*.gif"} << QList<QByteArray>{} << 1 << int(PK_OK)
                              << QStringList{"VN_files", "VN_files/image001.gif"};
        QTest::newRow("question mark") << QList<QByteArray>{"VN_files/image00?.gif"} << QList<QByteArray>{} << 1
                                       << int(PK_OK) << QStringList{"VN_files", "VN_files/image001.gif"};
        QTest::newRow("no match") << QList<QByteArray>{"nothing*"} << QList<QByteArray>{} << 1 << int(PK_FIND)
                                  << QStringList{};
        QTest::newRow("case differs") << QList<QByteArray>{"vn.HTM"} << QList<QByteArray>{} << 1 << int(PK_FIND)
                                      << QStringList{};
        QTest::newRow("case ignored") << QList<QByteArray>{"vn.HTM"} << QList<QByteArray>{} << 0 << int(PK_OK)
                                      << QStringList{"VN.htm"};
        QTest::newRow("one of two missing") << QList<QByteArray>{"VN.htm", "missing.txt"} << QList<QByteArray>{} << 1
                                            << int(PK_FIND) << QStringList{"VN.htm"};
        QTest::newRow("exclude") << QList<QByteArray>{} << QList<QByteArray>{"*.xml", "VN.*"} << 1 << int(PK_OK)
                                 << QStringList{"VN_files", "VN_files/image001.gif"};
    }

    void nameLists()
    {
        QFETCH(QList<QByteArray>, include);
        QFETCH(QList<QByteArray>, exclude);
        QFETCH(int, caseSensitive);
        QFETCH(int, result);
        QFETCH(QStringList, written);
        Call call(helpZip(), out());
        call.include = include;
        call.exclude = exclude;
        call.dcl.C_flag = caseSensitive;
        QCOMPARE(call.run(), result);
        QCOMPARE(tree(out()), written);
    }

    void testModeChecksAndWritesNothing()
    {
        Call call(helpZip(), out());
        call.dcl.ntflag = 1;
        QCOMPARE(call.run(), int(PK_OK));
        QVERIFY(!QFileInfo::exists(out()));
        QVERIFY(m_recorder.printed.contains("No errors detected"));
        QVERIFY(m_recorder.printed.contains("    testing: VN_files/image001.gif   OK"));
    }

    void damagedDataIsAnError()
    {
        QVERIFY(writeFile(root() + "/dmg/data.txt", QByteArray(4000, 'x') + QByteArray("tail\n")));
        QVERIFY(runZip(root() + "/dmg", {"-0", "dmg.zip", "data.txt"})); // stored: the data lies as it is
        QByteArray bytes = readFile(root() + "/dmg/dmg.zip");
        const qsizetype at = bytes.indexOf("xxxxxxxx");
        QVERIFY(at > 0);
        bytes[at + 100] = 'y';
        QVERIFY(writeFile(root() + "/dmg/dmg.zip", bytes));
        Call test(root() + "/dmg/dmg.zip", out());
        test.dcl.ntflag = 1;
        QCOMPARE(test.run(), int(PK_ERR));
        Call extract(root() + "/dmg/dmg.zip", out());
        QCOMPARE(extract.run(), int(PK_ERR));
        QCOMPARE(tree(out()), QStringList());
    }

    void listModeReportsEveryMember()
    {
        const QString archive = encryptedArchive({"c.txt"});
        Call call(archive, out());
        call.dcl.nvflag = 1;
        QCOMPARE(call.run(), int(PK_OK));
        QVERIFY(!QFileInfo::exists(out()));
        QVERIFY(m_recorder.passwordPrompts.isEmpty());
        QCOMPARE(m_recorder.listed.size(), 3);
        QCOMPARE(m_recorder.listed[0].name, QString("a.txt"));
        QCOMPARE(m_recorder.listed[0].encrypted, 1);
        QCOMPARE(m_recorder.listed[2].name, QString("c.txt"));
        QCOMPARE(m_recorder.listed[2].encrypted, 0);
        QCOMPARE(m_recorder.listed[2].size, 6ul);
        QCOMPARE(m_recorder.listed[2].method, QString("Stored")); // zip stores what it cannot shrink
        QVERIFY(m_recorder.listed[2].year >= 2020);
        QCOMPARE(call.callbacks.NumMembers, 3u);
    }

    void listModeWithoutListCallbackPrints()
    {
        Call call(helpZip(), out());
        call.dcl.nvflag = 1;
        call.callbacks.applicationMessage = nullptr;
        QCOMPARE(call.run(), int(PK_OK));
        QVERIFY(m_recorder.printed.contains("VN_files/image001.gif"));
        QVERIFY(m_recorder.printed.contains("Deflated"));
    }

    void printModeSendsTheDataToPrint()
    {
        Call call(helpZip(), out());
        call.dcl.ncflag = 1;
        call.dcl.fQuiet = 2;
        call.include = {"VN.htm"};
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(m_recorder.printed, QString::fromUtf8(helpPage()));
        QVERIFY(!QFileInfo::exists(out()));
    }

    void serviceCallbackCancels()
    {
        m_recorder.cancelAtService = 2;
        Call call(helpZip(), out());
        QCOMPARE(call.run(), int(IZ_CTRLC));
        QCOMPARE(tree(out()), QStringList({"VN.htm", "VN_files"}));
    }

    void badArgumentsAreRefused()
    {
        Call call(helpZip(), out());
        QCOMPARE(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, nullptr, &call.callbacks), int(PK_PARAM));
        call.dcl.lpszZipFN = call.zipFile.data();
        QCOMPARE(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &call.dcl, nullptr), int(PK_PARAM));
        call.dcl.lpszZipFN = nullptr;
        QCOMPARE(Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &call.dcl, &call.callbacks), int(PK_PARAM));
        call.dcl.lpszZipFN = call.zipFile.data();
        QCOMPARE(Wiz_SingleEntryUnzip(1, nullptr, 0, nullptr, &call.dcl, &call.callbacks), int(PK_PARAM));
        QCOMPARE(Wiz_SingleEntryUnzip(-1, nullptr, 0, nullptr, &call.dcl, &call.callbacks), int(PK_PARAM));
        char* withNull[] = {nullptr};
        QCOMPARE(Wiz_SingleEntryUnzip(0, nullptr, 1, withNull, &call.dcl, &call.callbacks), int(PK_PARAM));
        QVERIFY(!QFileInfo::exists(out()));
    }

    void noCallbacksAtAllStillUnpacks()
    {
        const QString archive = encryptedArchive({"c.txt"});
        Call call(archive, out());
        call.callbacks = USERFUNCTION{};
        call.dcl.noflag = 0;
        call.dcl.PromptToOverwrite = 1;
        QCOMPARE(call.run(), int(PK_WARN)); // the encrypted members cannot be opened
        QCOMPARE(tree(out()), QStringList({"c.txt"}));
    }

    void aFullDiskStopsTheRunAndKeepsTheOldFile()
    {
        QByteArray big;
        for (int i = 0; i < 200000; ++i)
            big.append(static_cast<char>((i * 131 + i / 7) % 251));
        QVERIFY(writeFile(root() + "/big/big.bin", big));
        QVERIFY(writeFile(root() + "/big/small.txt", "small"));
        QVERIFY(runZip(root() + "/big", {"big.zip", "big.bin", "small.txt"}));
        QVERIFY(writeFile(out() + "/big.bin", "old"));

        // A file size limit makes every write past 64 KiB fail as on a full disk.
        struct rlimit before {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
        struct rlimit limited = before;
        limited.rlim_cur = 64 * 1024;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
        Call call(root() + "/big/big.zip", out());
        const int result = call.run();
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(result, int(PK_DISK));
        QCOMPARE(tree(out()), QStringList({"big.bin"})); // no half file, and the run stopped
        QCOMPARE(readFile(out() + "/big.bin"), QByteArray("old"));
    }

    void commentAndQuietness_data()
    {
        QTest::addColumn<int>("quiet");
        QTest::addColumn<int>("comment");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all") << 0 << 0
                             << "Archive:  %1\n extracting: ok.txt\nskipping: ../x  (unsafe path: contains \"..\")\n";
        QTest::newRow("no member lines") << 1 << 0 << "skipping: ../x  (unsafe path: contains \"..\")\n";
        QTest::newRow("problems only") << 2 << 0 << "skipping: ../x  (unsafe path: contains \"..\")\n";
        QTest::newRow("comment") << 2 << 1 << "Help files\nskipping: ../x  (unsafe path: contains \"..\")\n";
    }

    void commentAndQuietness()
    {
        QFETCH(int, quiet);
        QFETCH(int, comment);
        QFETCH(QString, expected);
        const QString archive = root() + "/c.zip";
        QVERIFY(makeRaw(archive, {{"ok.txt", "fine"}, {"../x", "no"}}, "Help files"));
        Call call(archive, out());
        call.dcl.fQuiet = quiet;
        call.dcl.nzflag = comment;
        QCOMPARE(call.run(), int(PK_WARN));
        QCOMPARE(m_recorder.printed, QString(expected).replace("%1", archive));
        QCOMPARE(call.callbacks.cchComment, 10u);
    }

    void printPiecesEndLinesWithALoneLineFeed()
    {
        QStringList pieces;
        static QStringList* seen = nullptr;
        seen = &pieces;
        Call call(root() + "/missing.zip", out());
        call.callbacks.print = [](char* buffer, unsigned long size) {
            seen->append(QString::fromUtf8(buffer, static_cast<qsizetype>(size)));
            return 0;
        };
        QCOMPARE(call.run(), int(PK_NOZIP));
        QCOMPARE(pieces, QStringList({"error: cannot find zipfile: " + root() + "/missing.zip", "\n"}));
    }

    void versionRecord()
    {
        UzpVer2 version{};
        version.structlen = sizeof version;
        QCOMPARE(UzpVersion2(&version), 0u);
        QCOMPARE(version.unzip.major, quint8(5));
        QCOMPARE(version.unzip.minor, quint8(4));
        QCOMPARE(QByteArray(version.zlib_version), QByteArray(zip_libzip_version()).left(9));
        QCOMPARE(QByteArray(version.betalevel), QByteArray());
        QCOMPARE(qstrlen(version.date), 10u);
        QVERIFY(version.flag & UZPVER_LIBZIP);

        UzpVer2 small{};
        small.structlen = 10;
        QCOMPARE(UzpVersion2(&small), 64u);
        QCOMPARE(small.unzip.major, quint8(0));
        QCOMPARE(UzpVersion2(nullptr), 64u);
    }

    // A small archive that would write far more than its own size (members that
    // share their compressed data can fill the disk) is refused before anything
    // is written.
    void anArchiveExpandingTooFarIsRefused_data()
    {
        QTest::addColumn<int>("members");
        QTest::addColumn<int>("mebibytes");
        QTest::addColumn<bool>("compressed");
        QTest::newRow("two hundred times its size") << 1 << 3 << true;
        QTest::newRow("beyond 64 MiB in all") << 3 << 22 << false;
    }
    void anArchiveExpandingTooFarIsRefused()
    {
        QFETCH(int, members);
        QFETCH(int, mebibytes);
        QFETCH(bool, compressed);
        const QString src = root() + "/bomb";
        QStringList names;
        const QByteArray zeros(mebibytes * 1024 * 1024, '\0');
        for (int i = 0; i < members; ++i) {
            names << QString("part%1.bin").arg(i);
            QVERIFY(writeFile(src + "/" + names.last(), zeros));
        }
        QVERIFY(runZip(src, QStringList{compressed ? "-9" : "-0", "bomb.zip"} + names));
        Call call(src + "/bomb.zip", out());
        QCOMPARE(call.run(), int(PK_BADERR));
        QVERIFY(m_recorder.printed.contains("would expand beyond"));
        QCOMPARE(tree(out()), QStringList());
    }

    void anArchiveWithinTheLimitsIsExtracted()
    {
        const QString src = root() + "/fine";
        QVERIFY(writeFile(src + "/zeros.bin", QByteArray(512 * 1024, '\0')));
        QVERIFY(writeFile(src + "/noise.bin", QByteArray(8 * 1024, 'n')));
        QVERIFY(runZip(src, {"-0", "fine.zip", "zeros.bin", "noise.bin"}));
        Call call(src + "/fine.zip", out());
        QCOMPARE(call.run(), int(PK_OK));
        QCOMPARE(tree(out()), (QStringList{"noise.bin", "zeros.bin"}));
    }
};

VANTORA_TEST_MAIN(TestUnzip32)
#include "test_unzip32.moc"
