#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "platform/settings/settings.h"
#include "platform/system/drives.h"
#include "radio/form3.h"
#include "radio/form4.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using testsupport::Form1Fixture;

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// A music drive made by the test: a/ with an MP3, b/ with an upper-case one,
// c/ with a video only, d/ empty.
struct Chooser {
    Form1Fixture fixture;
    Form1* main = fixture.loadForm1();
    Form3 editor{main};
    QString drive = testsupport::environment().root() + QStringLiteral("/music");

    Chooser()
    {
        touch(drive + QStringLiteral("/a/one.mp3"));
        touch(drive + QStringLiteral("/a/notes.txt"));
        touch(drive + QStringLiteral("/b/TWO.MP3"));
        touch(drive + QStringLiteral("/c/clip.avi"));
        QDir().mkpath(drive + QStringLiteral("/d"));
        platform::setDriveLister([d = drive] { return QStringList{QStringLiteral("/"), d}; });
    }
    ~Chooser()
    {
        platform::setDriveLister({});
        appWindows().unloadAll();
    }
    Form4* form() { return appWindows().form4(); }
    QString option(const QString& key) const { return Form1Fixture::option(key); }

    // Opens the chooser from the editor and runs `use` on it while it is shown.
    void open(bool single, const std::function<void(Form4*)>& use)
    {
        QTimer::singleShot(0, &editor, [this, use] {
            use(form());
            if (form()->isVisible())
                form()->canc_Click();
        });
        if (single)
            editor.SelMP3_Single();
        else
            editor.SelMP3_Dir();
    }
    QString label(const char* name) { return form()->findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    bool canSave() { return form()->findChild<QAction*>(QStringLiteral("sav"))->isEnabled(); }
};

} // namespace

class TestMediaChooser : public QObject {
    Q_OBJECT
private slots:
    void listsMediaFilesWithoutRegardToCase()
    {
        Chooser c;
        QCOMPARE(mediaFilesIn(c.drive + QStringLiteral("/a")), QStringList{QStringLiteral("one.mp3")});
        QCOMPARE(mediaFilesIn(c.drive + QStringLiteral("/b")), QStringList{QStringLiteral("TWO.MP3")});
        QVERIFY(holdsMp3(c.drive + QStringLiteral("/b")));
        QVERIFY(!holdsMp3(c.drive + QStringLiteral("/c")));
    }

    void folderModeAcceptsOnlyAFolderWithMp3s()
    {
        Chooser c;
        QStringList seen;
        c.open(false, [&](Form4* f) {
            QVERIFY(!f->singleFileMode());
            QVERIFY(!c.main->Searchsize);
            f->Drive1_Change(c.drive);
            f->Dir1_Change(c.drive + QStringLiteral("/c"));
            seen << c.label("Label1") << QString::number(c.canSave());
            f->Dir1_Change(c.drive + QStringLiteral("/b"));
            seen << c.label("Label1") << QString::number(c.canSave());
            f->sav_Click();
        });
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("No MP3's found in this folder"), QStringLiteral("0"),
                              QStringLiteral("MP3's found"), QStringLiteral("1")}));
        QCOMPARE(c.editor.Text2[12]->text(), c.drive + QStringLiteral("/b/"));
        QCOMPARE(c.option(QStringLiteral("Dir1.Path42")), c.drive + QStringLiteral("/b"));
        QCOMPARE(c.option(QStringLiteral("Drive1.Drive42")), c.drive);
    }

    void singleFileModeWritesTheFolderAndTheChosenFile()
    {
        Chooser c;
        bool couldSaveBefore = true;
        c.open(true, [&](Form4* f) {
            QVERIFY(c.main->Searchsize);
            f->Drive1_Change(c.drive);
            f->Dir1_Change(c.drive + QStringLiteral("/a"));
            couldSaveBefore = c.canSave();
            f->File1_Click(QStringLiteral("one.mp3"));
            QCOMPARE(c.label("Label2"), QStringLiteral("one.mp3"));
            f->sav_Click();
        });
        QVERIFY(!couldSaveBefore);
        QCOMPARE(c.editor.Text2[11]->text(), c.drive + QStringLiteral("/a/one.mp3"));
        QCOMPARE(c.option(QStringLiteral("File1")), QStringLiteral("one.mp3"));
        QVERIFY(c.editor.Text2[12]->text().isEmpty());
    }

    void aDriveRootGetsNoSecondSlash()
    {
        QCOMPARE(folderSlotText(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(folderSlotText(QStringLiteral("/music/b")), QStringLiteral("/music/b/"));
        QCOMPARE(folderSlotText(QStringLiteral("/music/b/")), QStringLiteral("/music/b/"));
    }

    void aFolderWithoutMp3sCannotBeSaved()
    {
        Chooser c;
        c.open(false, [&](Form4* f) {
            f->Drive1_Change(QStringLiteral("/"));
            f->Dir1_Change(QStringLiteral("/"));
            QCOMPARE(f->folder(), QStringLiteral("/"));
            // "/" holds no MP3 here: nothing can be saved, and Save does nothing.
            f->sav_Click();
            QVERIFY(f->isVisible());
        });
        QVERIFY(c.editor.Text2[12]->text().isEmpty());
    }

    void cancelRemembersTheModesOwnPlaceOnly()
    {
        Chooser c;
        c.open(false, [&](Form4* f) {
            f->Drive1_Change(c.drive);
            f->Dir1_Change(c.drive + QStringLiteral("/d"));
            f->canc_Click();
        });
        QVERIFY(c.editor.Text2[12]->text().isEmpty());
        QCOMPARE(c.option(QStringLiteral("Dir1.Path42")), c.drive + QStringLiteral("/d"));
        QVERIFY(c.option(QStringLiteral("Left42")) != QStringLiteral("<missing>"));
        QVERIFY(c.option(QStringLiteral("Right42")) != QStringLiteral("<missing>"));
        QCOMPARE(c.option(QStringLiteral("Dir1.Path41")), QStringLiteral("<missing>"));

        QString openedAt;
        c.open(true, [&](Form4* f) { openedAt = f->folder(); });
        QVERIFY(openedAt != c.drive + QStringLiteral("/d"));
        QString reopened;
        c.open(false, [&](Form4* f) { reopened = f->folder(); });
        QCOMPARE(reopened, c.drive + QStringLiteral("/d"));
    }

    void aRememberedFolderThatIsGoneOpensTheDefault()
    {
        Chooser c;
        Form1Fixture::setOption(QStringLiteral("Drive1.Drive42"), QStringLiteral("/nowhere"));
        Form1Fixture::setOption(QStringLiteral("Dir1.Path42"), QStringLiteral("/nowhere/at/all"));
        QString drive, folder;
        c.open(false, [&](Form4* f) {
            drive = f->drive();
            folder = f->folder();
        });
        QCOMPARE(drive, QStringLiteral("/"));
        QCOMPARE(folder, QDir::homePath());
    }

    void anUnreadableChoiceReturnsToTheLastFolderShown()
    {
        Chooser c;
        c.open(false, [&](Form4* f) {
            f->Drive1_Change(c.drive);
            f->Dir1_Change(c.drive + QStringLiteral("/a"));
            f->Drive1_Change(QStringLiteral("/gone-drive"));
            QCOMPARE(f->drive(), c.drive);
            QCOMPARE(f->folder(), c.drive + QStringLiteral("/a"));
            QCOMPARE(c.label("Label1"), QStringLiteral("MP3's found"));
        });
    }

    void damagedPositionsOpenCentred()
    {
        Chooser c;
        Form1Fixture::setOption(QStringLiteral("Left41"), QStringLiteral("1e30"));
        Form1Fixture::setOption(QStringLiteral("Right41"), QStringLiteral("abc"));
        QPoint at;
        c.open(true, [&](Form4* f) { at = f->pos(); });
        QVERIFY(at.x() >= 0 && at.x() < 4000);
        QVERIFY(at.y() >= 0 && at.y() < 4000);
    }
};

VANTORA_TEST_MAIN(TestMediaChooser)
#include "test_mediachooser.moc"
