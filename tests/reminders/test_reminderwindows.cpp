#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "reminders/automaticmessage.h"
#include "reminders/form7.h"
#include "reminders/frmmemo.h"
#include "reminders/memowidgets.h"
#include "reminders/modmemo.h"
#include "reminders/reminderdesk.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextCharFormat>
#include <QTimeEdit>
#include <QTimer>

using testsupport::Form1Fixture;

namespace {

const QDate kToday(2026, 12, 9);

QDateTime at(int h, int m, int s) { return QDateTime(kToday, QTime(h, m, s)); }

QAction* button(QWidget* w, const char* key) { return w->findChild<QAction*>(key); }

QStringList noticeTexts()
{
    QStringList out;
    for (Form7* n : reminderDesk().notices())
        out << n->findChild<QPlainTextEdit*>("Text1")->toPlainText();
    return out;
}

QStringList texts(const QList<MemoRec>& list)
{
    QStringList out;
    for (const MemoRec& r : list)
        out << r.MemText;
    return out;
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QColor colourOf(QWidget* w, const char* name)
{
    return w->findChild<QLabel*>(name)->palette().color(QPalette::WindowText);
}

const QColor kRed(255, 0, 0);

} // namespace

class TestReminderWindows : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Form1Fixture> m_fixture;
    Form1* m_main = nullptr;

    Form1Fixture& f() { return *m_fixture; }

    Form7* addNotice()
    {
        f().trigger("addrem_1");
        return reminderDesk().notices().isEmpty() ? nullptr : reminderDesk().notices().constLast();
    }

    static void pick(Form7* n, const QDate& d, const QTime& t, const QString& text)
    {
        n->findChild<QCalendarWidget*>("Calendar1")->setSelectedDate(d);
        n->findChild<QTimeEdit*>("DTPicker1")->setTime(t);
        n->findChild<QPlainTextEdit*>("Text1")->setPlainText(text);
    }

private slots:
    void init()
    {
        m_fixture = std::make_unique<Form1Fixture>(at(12, 0, 0));
        m_main = f().loadForm1();
        reminderDesk().start();
    }
    void cleanup()
    {
        reminderDesk().closeAll();
        flushDeletes();
        m_fixture.reset();
        flushDeletes();
    }

    void theMenuItemsAreEnabled()
    {
        QVERIFY(f().action("addrem_1")->isEnabled());
        QCOMPARE(f().action("addrem_1")->shortcut(), QKeySequence("Ctrl+R"));
        QVERIFY(f().action("addrem_2")->isEnabled());
        QCOMPARE(f().action("addrem_2")->shortcut(), QKeySequence("Ctrl+E"));
    }

    void addingAReminderStoresIt()
    {
        Form7* n = addNotice();
        QVERIFY(n && n->isVisible());
        QCOMPARE(n->windowTitle(), QString("Vantora - Add New Reminder"));
        QCOMPARE(n->mode(), qint16(Form7::NewReminder));
        QVERIFY(!button(n, "Strem")->isEnabled());
        QVERIFY(!button(n, "Adrem")->isEnabled()); // no message yet
        pick(n, kToday, QTime(12, 1, 0), "Call Anna, then Bob\nabout dinner");
        QVERIFY(button(n, "Adrem")->isEnabled());
        button(n, "Adrem")->trigger();
        QVERIFY(reminderDesk().notices().isEmpty());
        QCOMPARE(ModMemo::MemoCount(), 1);
        QCOMPARE(ModMemo::Memos()[0], (MemoRec{kToday, "12:01:00", "Call Anna, then Bob\nabout dinner"}));
    }

    void addIsRefusedForAPastMoment()
    {
        Form7* n = addNotice();
        pick(n, kToday.addDays(-1), QTime(13, 0), "yesterday");
        QVERIFY(!button(n, "Adrem")->isEnabled());
        QCOMPARE(colourOf(n, "Label1_1"), kRed);
        QCOMPARE(colourOf(n, "Label1_2"), kRed);
        pick(n, kToday, QTime(12, 0, 30), "in half a minute");
        QVERIFY(button(n, "Adrem")->isEnabled());
        QVERIFY(colourOf(n, "Label1_2") != kRed);
        f().clock().advance(30000);
        QVERIFY(!button(n, "Adrem")->isEnabled());
        QCOMPARE(colourOf(n, "Label1_2"), kRed);
        QVERIFY(colourOf(n, "Label1_1") != kRed);
    }

    void aFailedAddSaysWhyAndKeepsTheWindow()
    {
        QFile::remove(ModMemo::memoFilePath());
        QVERIFY(QDir().mkpath(ModMemo::memoFilePath())); // cannot be replaced by a file
        Form7* n = addNotice();
        pick(n, kToday, QTime(13, 0), "will not fit");
        button(n, "Adrem")->trigger();
        QCOMPARE(f().dialogs().messageCount(), 1);
        const auto& box = f().dialogs().shown().first();
        QCOMPARE(box.title, QString("New Reminder"));
        QVERIFY(box.prompt.startsWith("Error: "));
        QVERIFY(box.prompt.endsWith("\r\n\r\nPlease, try again..."));
        QCOMPARE(box.style, platform::mb::Critical);
        QVERIFY(n->isVisible());
        QCOMPARE(ModMemo::MemoCount(), 0);
        QDir(ModMemo::memoFilePath()).removeRecursively();
    }

    void doubleQuotesAreRemovedAsTheyAreTyped()
    {
        Form7* n = addNotice();
        auto* text = n->findChild<QPlainTextEdit*>("Text1");
        text->setFocus();
        QTest::keyClicks(text, "say \"hi");
        QCOMPARE(text->toPlainText(), QString("say hi"));
        text->insertPlainText("\"pasted\" too");
        QCOMPARE(text->toPlainText(), QString("say hipasted too"));
    }

    void theDefaultTimeIsRemembered()
    {
        Form7* n = addNotice();
        QCOMPARE(n->findChild<QTimeEdit*>("DTPicker1")->time(), QTime(12, 0, 0));
        n->findChild<QTimeEdit*>("DTPicker1")->setTime(QTime(7, 45, 0));
        n->findChild<QCheckBox*>("Check1")->click();
        QCOMPARE(Form1Fixture::option("DefTimeCurrent"), QString("False"));
        QCOMPARE(Form1Fixture::option("DefDefaultTime"), QString("07:45:00"));
        button(n, "Canrem")->trigger();
        Form7* again = addNotice();
        QCOMPARE(again->findChild<QTimeEdit*>("DTPicker1")->time(), QTime(7, 45, 0));
        QCOMPARE(again->findChild<QLabel*>("Label1_2")->text(), QString("07:45:00"));
        QVERIFY(again->findChild<QCheckBox*>("Check1")->isChecked());
    }

    void aDueReminderOpensSnoozesAndIsDeleted()
    {
        QVERIFY(ModMemo::MemoAdd(kToday, "12:01:00", "stretch"));
        f().clock().advance(59000);
        QVERIFY(reminderDesk().notices().isEmpty());
        f().clock().advance(1000);
        QCOMPARE(reminderDesk().notices().size(), 1);
        Form7* n = reminderDesk().notices().first();
        QCOMPARE(n->windowTitle(), QString("Vantora - Reminder - 12/9/2026 (12:01:00)"));
        QCOMPARE(n->mode(), qint16(Form7::DueReminder));
        QVERIFY(button(n, "Strem")->isEnabled() && button(n, "Snrem")->isEnabled());
        QVERIFY(!button(n, "Adrem")->isEnabled());
        QCOMPARE(ModMemo::MemoCount(), 0);
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"stretch"}));

        // Snooze: the reminder stays pending until its new time is stored.
        button(n, "Snrem")->trigger();
        QCOMPARE(n->mode(), qint16(Form7::NewReminder));
        QCOMPARE(n->findChild<QPlainTextEdit*>("Text1")->toPlainText(), QString("stretch"));
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"stretch"}));
        n->findChild<QTimeEdit*>("DTPicker1")->setTime(QTime(12, 10, 0));
        button(n, "Adrem")->trigger();
        QVERIFY(ModMemo::pendingMemos().isEmpty());
        QCOMPARE(ModMemo::Memos().value(0), (MemoRec{kToday, "12:10:00", "stretch"}));

        f().clock().advanceTo(at(12, 10, 0).addMSecs(300));
        QCOMPARE(reminderDesk().notices().size(), 1);
        n = reminderDesk().notices().first();
        button(n, "Strem")->trigger();
        QVERIFY(reminderDesk().notices().isEmpty());
        QVERIFY(ModMemo::pendingMemos().isEmpty());
        QCOMPARE(ModMemo::MemoCount(), 0);
    }

    void threeRemindersDueInOneSecondOpenThreeNotices()
    {
        for (const char* t : {"a", "b", "c"})
            QVERIFY(ModMemo::MemoAdd(kToday, "12:00:05", t));
        QVERIFY(ModMemo::MemoAdd(kToday.addDays(-3), "23:00:00", "old"));
        QVERIFY(ModMemo::MemoAdd(kToday, "12:00:06", "later"));
        f().clock().advance(5000);
        QCOMPARE(noticeTexts(), QStringList({"old", "a", "b", "c"}));
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"later"}));
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"old", "a", "b", "c"}));
        f().clock().advance(3000);
        QCOMPARE(noticeTexts(), QStringList({"old", "a", "b", "c", "later"}));
    }

    void aScanEnteredAgainOpensNoDuplicate()
    {
        for (const char* t : {"a", "b", "c"})
            QVERIFY(ModMemo::MemoAdd(kToday, "12:00:01", t));
        // Showing a notice lets pending events run: one of them asks for the
        // scan again while the first is still at work.
        int nested = 0;
        QTimer::singleShot(0, [&] {
            ++nested;
            reminderDesk().showDueReminders(platform::clock().now());
        });
        f().clock().advance(1000);
        QCOMPARE(nested, 1);
        QCOMPARE(noticeTexts(), QStringList({"a", "b", "c"}));
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"a", "b", "c"}));
    }

    void pendingNoticesComeBackAtTheNextStart()
    {
        QVERIFY(ModMemo::MemoAdd(kToday, "12:00:01", "unanswered"));
        f().clock().advance(1000);
        QCOMPARE(reminderDesk().notices().size(), 1);
        // The program ends with the notice open (or it is closed by its frame).
        reminderDesk().notices().first()->close();
        flushDeletes();
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"unanswered"}));

        reminderDesk().start();
        QCOMPARE(reminderDesk().notices().size(), 1);
        Form7* n = reminderDesk().notices().first();
        QCOMPARE(n->mode(), qint16(Form7::PendingReminder));
        QCOMPARE(n->windowTitle(), QString("Vantora - Reminder - 12/9/2026 (12:00:01)"));
        button(n, "Strem")->trigger();
        QVERIFY(ModMemo::pendingMemos().isEmpty());
    }

    void twoEqualPendingNoticesAreDeletedTogether()
    {
        for (int i = 0; i < 2; ++i)
            QVERIFY(ModMemo::MemoAppend(kToday, "08:00:00", "twin"));
        reminderDesk().MemoCheckDue();
        QCOMPARE(reminderDesk().notices().size(), 2);
        button(reminderDesk().notices().first(), "Strem")->trigger();
        QVERIFY(ModMemo::pendingMemos().isEmpty());
    }

    void aResetClosesEveryNoticeAndTheEditor()
    {
        QVERIFY(ModMemo::MemoAdd(kToday, "12:00:01", "open"));
        f().clock().advance(1000);
        addNotice();
        f().trigger("addrem_2");
        QVERIFY(reminderDesk().editorVisible());
        appWindows().unloadAll();
        QVERIFY(reminderDesk().notices().isEmpty());
        QVERIFY(!reminderDesk().editorVisible());
        QCOMPARE(texts(ModMemo::pendingMemos()), QStringList({"open"}));
    }

    void theEditorListsEditsAndDeletes()
    {
        QVERIFY(ModMemo::MemoAdd(kToday.addDays(1), "09:00:00", "one"));
        QVERIFY(ModMemo::MemoAdd(kToday.addDays(2), "09:00:00", "two"));
        QVERIFY(ModMemo::MemoAdd(kToday.addDays(3), "09:00:00", "three"));
        f().trigger("addrem_2");
        frmMemo* e = reminderDesk().editor();
        QVERIFY(e && e->isVisible());
        QCOMPARE(e->windowTitle(), QString("Vantora Radio - Reminders Editor - v 2.9.0"));
        auto* list = e->findChild<QListWidget*>("List1");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QString("12/10/2026 - 09:00:00"));
        QCOMPARE(e->findChild<QLabel*>("Label1_0")->text(), QString("Reminders List (3)"));
        QCOMPARE(e->findChild<QLabel*>("Panel3")->text(), QString("3 Reminders available"));
        QCOMPARE(e->findChild<QPlainTextEdit*>("Text1")->toPlainText(), QString("one"));
        QCOMPARE(e->findChild<QLabel*>("Label1_1")->text(),
                 QString("Selected Reminder - Message Editor (12/10/2026 - 09:00:00)"));
        QVERIFY(list->selectedItems().isEmpty());

        // The tick opens nothing and Add Reminder does nothing while it is open.
        QVERIFY(ModMemo::MemoAdd(kToday, "12:00:01", "due meanwhile"));
        f().clock().advance(2000);
        QVERIFY(reminderDesk().notices().isEmpty());
        f().trigger("addrem_1");
        QVERIFY(reminderDesk().notices().isEmpty());

        list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        auto* text = e->findChild<QPlainTextEdit*>("Text1");
        text->setPlainText("two, \"changed\"");
        list->item(0)->setSelected(true);
        list->item(2)->setSelected(true);
        e->findChild<QCheckBox*>("Check1")->setChecked(true);
        // Another window adds a reminder before them all while the editor is open.
        QVERIFY(ModMemo::MemoAdd(kToday, "13:00:00", "added by a notice"));
        button(e, "OKChange")->trigger();
        flushDeletes();
        QVERIFY(!reminderDesk().editor());
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"due meanwhile", "added by a notice", "two, changed"}));
    }

    void theEditorWithoutTickDeletesOnlyEmptiedMessages()
    {
        QVERIFY(ModMemo::MemoAdd(kToday.addDays(1), "09:00:00", "one"));
        QVERIFY(ModMemo::MemoAdd(kToday.addDays(2), "09:00:00", "two"));
        frmMemo* e = reminderDesk().openEditor();
        auto* list = e->findChild<QListWidget*>("List1");
        list->item(0)->setSelected(true);
        list->item(1)->setSelected(true);
        list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        e->findChild<QPlainTextEdit*>("Text1")->clear();
        QCOMPARE(e->findChild<QLabel*>("Panel3")->text(), QString("2 Reminders available"));
        button(e, "OKChange")->trigger();
        QCOMPARE(texts(ModMemo::Memos()), QStringList({"one"}));
    }

    void anEmptyEditorIsDisabled()
    {
        frmMemo* e = reminderDesk().openEditor();
        QVERIFY(!e->findChild<QListWidget*>("List1")->isEnabled());
        QVERIFY(!e->findChild<QPlainTextEdit*>("Text1")->isEnabled());
        QVERIFY(!e->findChild<QCheckBox*>("Check1")->isEnabled());
        QCOMPARE(e->findChild<QLabel*>("Label1_0")->text(), QString("Reminders List"));
        QCOMPARE(e->findChild<QLabel*>("Panel3")->text(), QString("No Reminders available"));
        QCOMPARE(e->findChild<QListWidget*>("List1")->currentRow(), -1);
        button(e, "OKChange")->trigger();
        QVERIFY(!e->isVisible());
    }

    void oneReminderReadsSingular()
    {
        QVERIFY(ModMemo::MemoAdd(kToday.addDays(1), "09:00:00", "one"));
        frmMemo* e = reminderDesk().openEditor();
        QCOMPARE(e->findChild<QLabel*>("Panel3")->text(), QString("1 Reminder available"));
    }

    void theMonthViewMarksReminderDays()
    {
        Form7* n = addNotice();
        auto* calendar = n->findChild<QCalendarWidget*>("Calendar1");
        QVERIFY(calendar->dateTextFormat().isEmpty());
        button(n, "Canrem")->trigger();

        QVERIFY(ModMemo::MemoAdd(kToday.addDays(1), "09:00:00", "tomorrow"));
        QVERIFY(ModMemo::MemoAdd(QDate(2027, 1, 2), "09:00:00", "shown in December's last row"));
        QVERIFY(ModMemo::MemoAdd(QDate(2027, 3, 1), "09:00:00", "not shown"));
        n = addNotice();
        calendar = n->findChild<QCalendarWidget*>("Calendar1");
        const auto formats = calendar->dateTextFormat();
        QCOMPARE(formats.keys(), QList<QDate>({kToday.addDays(1), QDate(2027, 1, 2)}));
        QCOMPARE(formats.first().fontWeight(), int(QFont::Bold));
        calendar->setCurrentPage(2027, 3);
        QCOMPARE(calendar->dateTextFormat().keys(), QList<QDate>({QDate(2027, 3, 1)}));
    }

    // November 2026 begins on a Sunday, the first day of a US week: the month
    // view shows the whole week before it first.
    void theMonthViewsFirstDayIsFound()
    {
        Form7* n = addNotice();
        auto* calendar = n->findChild<QCalendarWidget*>("Calendar1");
        for (const QDate& month : {QDate(2026, 11, 1), QDate(2026, 12, 1), QDate(2027, 2, 1)}) {
            calendar->setCurrentPage(month.year(), month.month());
            auto* view = calendar->findChild<QTableView*>();
            QVERIFY(view);
            const int firstRow = calendar->horizontalHeaderFormat() == QCalendarWidget::NoHorizontalHeader ? 0 : 1;
            const int shownDay = view->model()->data(view->model()->index(firstRow, 0)).toInt();
            QCOMPARE(firstVisibleDay(calendar).day(), shownDay);
        }
        calendar->setCurrentPage(2026, 11);
        QCOMPARE(firstVisibleDay(calendar), QDate(2026, 10, 25));
    }

    void anAutomaticMessageEndsTheBusyAnimation()
    {
        int closed = 0;
        m_main->timer(8).setEnabled(true);
        QPointer<Form7> n = reminders::showAutomaticMessage("The list has been updated.\r\n\r\nSecond line",
                                                            [&] { ++closed; });
        QVERIFY(n && n->isVisible());
        QCOMPARE(n->windowTitle(), QString("Vantora - Automatic Message"));
        QCOMPARE(n->findChild<QPlainTextEdit*>("Text1")->toPlainText(),
                 QString("The list has been updated.\n\nSecond line"));
        QVERIFY(n->findChild<QPlainTextEdit*>("Text1")->isReadOnly());
        QCOMPARE(button(n, "Canrem")->text(), QString("Close"));
        QVERIFY(button(n, "Canrem")->isEnabled());
        for (const char* key : {"Strem", "Snrem", "Adrem"})
            QVERIFY(!button(n, key)->isEnabled());
        QVERIFY(m_main->timer(8).isEnabled());
        button(n, "Canrem")->trigger();
        QVERIFY(!m_main->timer(8).isEnabled());
        QCOMPARE(closed, 1);
        flushDeletes();
        QVERIFY(!n);

        m_main->timer(8).setEnabled(true);
        Form7* byFrame = reminders::showAutomaticMessage("again", [&] { ++closed; });
        byFrame->close();
        QVERIFY(!m_main->timer(8).isEnabled());
        QCOMPARE(closed, 2);
        // Closing a reminder notice leaves the animation of another command alone.
        QVERIFY(ModMemo::MemoAdd(kToday, "12:00:01", "due"));
        f().clock().advance(1000);
        m_main->timer(8).setEnabled(true);
        reminderDesk().notices().first()->close();
        QVERIFY(m_main->timer(8).isEnabled());
    }

    void aFreshStartOpensNoNotice()
    {
        reminderDesk().start();
        QVERIFY(reminderDesk().notices().isEmpty());
        QVERIFY(QFile::exists(ModMemo::memoFilePath()));
        QVERIFY(QFile::exists(ModMemo::tempFilePath()));
    }
};

VANTORA_TEST_MAIN(TestReminderWindows)
#include "test_reminderwindows.moc"
