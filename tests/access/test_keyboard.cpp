// The program without a mouse: every Tools command from the clock with the
// keyboard alone, Escape and Return in every window, and what a screen reader
// is told (the clock's time, the pictures' names, the fields' captions).

#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "mainwindow/form2.h"
#include "mainwindow/frmeula.h"
#include "mainwindow/frmhist.h"
#include "mainwindow/frmos.h"
#include "online/frminternet.h"
#include "online/frmmail.h"
#include "widgets/leddigit.h"
#include "radio/form3.h"
#include "radio/form4.h"
#include "radio/form5.h"
#include "reminders/form7.h"
#include "reminders/frmmemo.h"
#include "reminders/reminderdesk.h"
#include "saver/settingvn.h"
#include "tests/info/infofixture.h"
#include "tests/radio/radiofixture.h"
#include "tests/support/testenv.h"
#include "timesync/frmntp.h"
#include "worldtime/frmtz.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimeEdit>

#include <functional>
#include <memory>

using radiotest::RadioFixture;
using testsupport::InfoFixture;

namespace {

// ---- The Tools menu from the keyboard ----

// The menus from `menu` down to the one that holds `target` (empty: not there).
QList<QMenu*> menuPath(QMenu* menu, QAction* target)
{
    for (QAction* action : menu->actions()) {
        if (action == target)
            return {menu};
        if (action->menu()) {
            QList<QMenu*> below = menuPath(action->menu(), target);
            if (!below.isEmpty())
                return QList<QMenu*>{menu} + below;
        }
    }
    return {};
}

QList<QAction*> usableCommands(QMenu* menu)
{
    QList<QAction*> found;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled())
            continue;
        if (action->menu())
            found += usableCommands(action->menu());
        else
            found << action;
    }
    return found;
}

QMenu* openPopup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

// Walks to `target` with the arrow keys, from the menu the clock opened, and
// presses Return on it. False when the arrows cannot reach it.
bool chooseWithKeys(QMenu* tools, QAction* target)
{
    const QList<QMenu*> path = menuPath(tools, target);
    for (qsizetype level = 0; level < path.size(); ++level) {
        QMenu* menu = path[level];
        if (openPopup() != menu)
            return false;
        QAction* step = level + 1 < path.size() ? path[level + 1]->menuAction() : target;
        for (qsizetype presses = 0; menu->activeAction() != step; ++presses) {
            if (presses > menu->actions().size())
                return false;
            QTest::keyClick(menu, Qt::Key_Down);
        }
        if (step != target) {
            QTest::keyClick(menu, Qt::Key_Right);
            if (!QTest::qWaitFor([&] { return openPopup() == path[level + 1]; }))
                return false;
        }
    }
    QTest::keyClick(path.last(), Qt::Key_Return);
    return true;
}

// ---- Escape and Return in the program's windows ----

using Owner = std::unique_ptr<QWidget>;

struct WindowCase {
    // Opens the window; one the program does not keep goes to the owner.
    std::function<QWidget*(RadioFixture&, Owner&)> open;
    const char* field;                     // the control that has the focus ("" for the window)
    std::function<void(QWidget*)> prepare; // fills fields before the key
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* pressed; // the button or command the key presses ("" for none)
    bool closes;         // the window is gone or hidden afterwards
};

QWidget* made(Owner& owner, QWidget* w)
{
    owner.reset(w);
    w->show();
    return w;
}

QWidget* fromMenu(RadioFixture& f, const char* command, const std::function<QWidget*()>& window)
{
    f.trigger(command);
    return window();
}

QWidget* newestNotice() { return reminderDesk().notices().isEmpty() ? nullptr : reminderDesk().notices().constLast(); }

QWidget* memoEditor()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<frmMemo*>(w) && w->isVisible())
            return w;
    return nullptr;
}

void typeReminder(QWidget* w)
{
    w->findChild<QPlainTextEdit*>("Text1")->setPlainText("Tea");
    w->findChild<QTimeEdit*>("DTPicker1")->setTime(QTime(13, 0));
}

const QMap<QString, WindowCase>& windowCases()
{
    using namespace Qt;
    static const QMap<QString, WindowCase> cases{
        {"zone chooser: Escape hides it",
         {[](RadioFixture& f, Owner&) { return fromMenu(f, "AddTZ", [&] { return f.form1()->frmTZ(); }); },
          "",
          {},
          Key_Escape,
          NoModifier,
          "",
          true}},
        {"zone chooser: Return in the name adds",
         {[](RadioFixture& f, Owner&) { return fromMenu(f, "AddTZ", [&] { return f.form1()->frmTZ(); }); }, "Text1",
          [](QWidget* w) { w->findChild<QLineEdit*>("Text1")->setText("Home"); }, Key_Return, NoModifier, "Command3",
          false}},
        {"new reminder: Escape cancels",
         {[](RadioFixture& f, Owner&) { return fromMenu(f, "addrem_1", newestNotice); },
          "Text1",
          {},
          Key_Escape,
          NoModifier,
          "Canrem",
          true}},
        {"new reminder: Return in the time adds",
         {[](RadioFixture& f, Owner&) { return fromMenu(f, "addrem_1", newestNotice); }, "DTPicker1", typeReminder,
          Key_Return, NoModifier, "Adrem", true}},
        {"new reminder: Ctrl+Return in the message adds",
         {[](RadioFixture& f, Owner&) { return fromMenu(f, "addrem_1", newestNotice); }, "Text1", typeReminder,
          Key_Return, ControlModifier, "Adrem", true}},
        {"new reminder: Return in the message breaks the line",
         {[](RadioFixture& f, Owner&) { return fromMenu(f, "addrem_1", newestNotice); }, "Text1", typeReminder,
          Key_Return, NoModifier, "", false}},
        {"reminders editor: Escape closes",
         {[](RadioFixture& f, Owner&) { return fromMenu(f, "addrem_2", memoEditor); },
          "",
          {},
          Key_Escape,
          NoModifier,
          "",
          true}},
        {"reminders editor: Return submits",
         {[](RadioFixture& f, Owner&) { return fromMenu(f, "addrem_2", memoEditor); },
          "",
          {},
          Key_Return,
          NoModifier,
          "OKChange",
          true}},
        {"time server: Escape closes",
         {[](RadioFixture& f, Owner& o) { return made(o, new frmNTP(f.form1())); },
          "",
          {},
          Key_Escape,
          NoModifier,
          "",
          true}},
        {"About: Escape closes",
         {[](RadioFixture&, Owner& o) { return made(o, new Form2); }, "", {}, Key_Escape, NoModifier, "", true}},
        {"history: Escape closes",
         {[](RadioFixture&, Owner& o) { return made(o, new FrmHist); }, "", {}, Key_Escape, NoModifier, "", true}},
        {"licence text: Escape closes",
         {[](RadioFixture&, Owner& o) { return made(o, new frmEULA2); },
          "Text1",
          {},
          Key_Escape,
          NoModifier,
          "",
          true}},
        {"OS info: Escape closes",
         {[](RadioFixture& f, Owner& o) { return made(o, new FrmOS(f.form1())); },
          "",
          {},
          Key_Escape,
          NoModifier,
          "",
          true}},
        {"online station list: Return submits",
         {[](RadioFixture&, Owner& o) { return made(o, new frmInternet); },
          "List1",
          {},
          Key_Return,
          NoModifier,
          "Command1",
          true}},
        {"online station list: Escape closes",
         {[](RadioFixture&, Owner& o) { return made(o, new frmInternet); }, "", {}, Key_Escape, NoModifier, "", true}},
        {"mail: Escape cancels",
         {[](RadioFixture&, Owner& o) { return made(o, new frmMail); },
          "Text2",
          {},
          Key_Escape,
          NoModifier,
          "Command3",
          true}},
        {"mail: Return in the subject sends nothing",
         {[](RadioFixture&, Owner& o) { return made(o, new frmMail); },
          "Text2",
          {},
          Key_Return,
          NoModifier,
          "",
          false}},
        {"station editor: Escape cancels",
         {[](RadioFixture& f, Owner& o) { return made(o, new Form3(f.form1())); },
          "",
          {},
          Key_Escape,
          NoModifier,
          "cance",
          true}},
        {"media chooser: Escape cancels",
         {[](RadioFixture&, Owner& o) { return made(o, new Form4); }, "", {}, Key_Escape, NoModifier, "canc", true}},
        {"radio: Escape closes",
         {[](RadioFixture& f, Owner&) {
              f.form1()->radioWindow()->Show();
              return f.radio();
          },
          "",
          {},
          Key_Escape,
          NoModifier,
          "",
          true}},
        {"broadcast status: Escape closes",
         {[](RadioFixture& f, Owner& o) {
              f.form1()->radioWindow();
              return made(o, new Form5(*f.radio(), *f.form1()));
          },
          "",
          {},
          Key_Escape,
          NoModifier,
          "",
          true}},
        {"screensaver settings: Return presses OK",
         {[](RadioFixture&, Owner& o) { return made(o, new SettingVN); },
          "",
          {},
          Key_Return,
          NoModifier,
          "Command2",
          true}},
        {"screensaver settings: Escape closes",
         {[](RadioFixture&, Owner& o) { return made(o, new SettingVN); }, "", {}, Key_Escape, NoModifier, "", true}},
    };
    return cases;
}

// Counts the presses of a window's button or command.
std::unique_ptr<QSignalSpy> spyPresses(QWidget* window, const char* name)
{
    if (auto* button = window->findChild<QAbstractButton*>(name))
        return std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked);
    if (auto* action = window->findChild<QAction*>(name))
        return std::make_unique<QSignalSpy>(action, &QAction::triggered);
    return nullptr;
}

// ---- The accessibility tree ----

QAccessibleInterface* accessible(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

// Every node under `root`, depth first.
QList<QAccessibleInterface*> tree(QAccessibleInterface* root)
{
    QList<QAccessibleInterface*> nodes{root};
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* child = root->child(i))
            nodes += tree(child);
    return nodes;
}

// The pictures and buttons a screen reader finds in the window without a name.
QStringList unnamedPictures(QWidget* window)
{
    QStringList unnamed;
    for (QAccessibleInterface* node : tree(accessible(window))) {
        const QAccessible::Role role = node->role();
        if ((role == QAccessible::Graphic || role == QAccessible::Button) && !node->state().invisible
            && node->text(QAccessible::Name).isEmpty())
            unnamed << node->object()->objectName();
    }
    return unnamed;
}

QAccessibleInterface* nodeOf(QWidget* window, const char* name)
{
    return accessible(window->findChild<QWidget*>(name));
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    // ---- The Tools menu ----

    // Each command is chosen as a user does, with its own effects kept out:
    // what each command then does is the Tools menu test's subject.
    void everyToolsCommandIsChosenFromTheKeyboard()
    {
        InfoFixture f;
        Form1* main = f.loadForm1();
        main->show();
        auto* tools = main->findChild<QMenu*>("tools");
        const QList<QAction*> commands = usableCommands(tools);
        QVERIFY(commands.size() > 40);
        for (QAction* command : commands)
            QObject::disconnect(command, &QAction::triggered, nullptr, nullptr);
        int turn = 0;
        for (QAction* command : commands) {
            QSignalSpy chosen(command, &QAction::triggered);
            // Shift+F10 and the Menu key take turns.
            if (turn++ % 2)
                QTest::keyClick(main, Qt::Key_Menu);
            else
                QTest::keyClick(main, Qt::Key_F10, Qt::ShiftModifier);
            QTRY_COMPARE(openPopup(), tools);
            // It opens with the first command ready for the arrows.
            QCOMPARE(tools->activeAction(), tools->actions().constFirst());
            QVERIFY2(chooseWithKeys(tools, command), qPrintable(command->objectName()));
            QCOMPARE(chosen.count(), 1);
            QTRY_VERIFY(!openPopup());
        }
    }

    void theRightButtonStillOpensTheMenuOnce()
    {
        InfoFixture f;
        Form1* main = f.loadForm1();
        main->show();
        auto* tools = main->findChild<QMenu*>("tools");
        QSignalSpy shown(tools, &QMenu::aboutToShow);
        QTest::mousePress(main, Qt::RightButton, {}, QPoint(20, 20));
        QContextMenuEvent fromMouse(QContextMenuEvent::Mouse, QPoint(20, 20), main->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(main, &fromMouse);
        QTRY_COMPARE(openPopup(), tools);
        QCOMPARE(shown.count(), 1);
        tools->hide();
        // A window system that turns the Menu key into a context menu event.
        QContextMenuEvent fromKeyboard(QContextMenuEvent::Keyboard, QPoint(0, 0), main->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(main, &fromKeyboard);
        QTRY_COMPARE(openPopup(), tools);
        QCOMPARE(shown.count(), 2);
        tools->hide();
    }

    // ---- Escape and Return ----

    void escapeAndReturnInEveryWindow_data()
    {
        QTest::addColumn<QString>("name");
        for (auto it = windowCases().cbegin(); it != windowCases().cend(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key();
    }
    void escapeAndReturnInEveryWindow()
    {
        QFETCH(QString, name);
        const WindowCase& c = windowCases()[name];
        RadioFixture f;
        f.load();
        Owner owner;
        QPointer<QWidget> window = c.open(f, owner);
        QVERIFY(window);
        QTRY_VERIFY(window->isVisible());
        if (c.prepare)
            c.prepare(window);
        QWidget* target = window;
        if (*c.field) {
            target = window->findChild<QWidget*>(c.field);
            QVERIFY(target);
            QApplication::setActiveWindow(window);
            target->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), target);
        }
        std::unique_ptr<QSignalSpy> presses = *c.pressed ? spyPresses(window, c.pressed) : nullptr;
        QVERIFY(!*c.pressed || presses);
        QTest::keyClick(target, Qt::Key(c.key), c.modifiers);
        if (presses)
            QTRY_COMPARE(presses->count(), 1);
        if (c.closes)
            QTRY_VERIFY(!window || !window->isVisible());
        else
            QVERIFY(window && window->isVisible());
        if (window)
            window->hide();
    }

    void theLicenceTextPagesWithTheKeys()
    {
        RadioFixture f;
        f.load();
        frmEULA2 viewer;
        viewer.findChild<QTextEdit*>("RichTextBox1")->setPlainText(QString("line\n").repeated(400));
        viewer.show();
        QScrollBar* bar = viewer.findChild<QTextEdit*>("RichTextBox1")->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTest::keyClick(viewer.findChild<QWidget*>("Text1"), Qt::Key_PageDown);
        QVERIFY(bar->value() > 0);
        QTest::keyClick(viewer.findChild<QWidget*>("Text1"), Qt::Key_PageUp);
        QCOMPARE(bar->value(), 0);
    }

    // ---- Screen readers ----

    void theClockReadsTheTimeAndDateShown()
    {
        InfoFixture f(QDateTime(QDate(2026, 12, 9), QTime(10, 33, 42)));
        Form1* main = f.loadForm1();
        main->show();
        const QList<QAccessibleInterface*> nodes = tree(accessible(main));
        QAccessibleInterface* clock = nullptr;
        for (QAccessibleInterface* node : nodes) {
            QVERIFY2(!qobject_cast<platform::LedDigit*>(node->object()), "a digit is a node of its own");
            if (node->text(QAccessible::Name).startsWith("10:33:42"))
                clock = node;
        }
        QVERIFY(clock);
        QCOMPARE(clock->role(), QAccessible::StaticText);
        QCOMPARE(clock->childCount(), 0);
        QCOMPARE(clock->text(QAccessible::Name), QString("10:33:42, Wednesday 09 December 2026"));

        f.clock().advance(1000);
        QCOMPARE(clock->text(QAccessible::Name), QString("10:33:43, Wednesday 09 December 2026"));
        f.clock().advance(500);
        QCOMPARE(clock->text(QAccessible::Name), QString("10:33:43, Wednesday 09 December 2026"));

        f.trigger("Datform");
        QCOMPARE(clock->text(QAccessible::Name), QString("10:33:43, Wed 09 Dec 2026"));
        f.trigger("DispDat");
        QCOMPARE(clock->text(QAccessible::Name), QString("10:33:43"));
    }

    void thePicturesAreNamedAfterTheirTipsOrActions()
    {
        InfoFixture f;
        Form1* main = f.loadForm1();
        main->show();
        const QList<std::pair<const char*, QString>> named{
            {"Image3", "Hourly Beep Enabled"},
            {"Image6", "Play Default... F2"},
            {"Image8", "Radio Alarm Enabled"},
            {"Image5", "Snooze"},
        };
        for (const auto& [picture, name] : named)
            QCOMPARE(nodeOf(main, picture)->text(QAccessible::Name), name);
        QVERIFY(nodeOf(main, "Image10")->text(QAccessible::Name).startsWith("NTP Auto-Sync"));
        QVERIFY(nodeOf(main, "Image12")->text(QAccessible::Name).startsWith("VN Auto-Update"));
        for (const char* area : {"Image4", "Image7", "Image11", "Image14"})
            QVERIFY2(nodeOf(main, area)->state().invisible, area);
        // Nothing a screen reader can see in the clock window is left without a name.
        QCOMPARE(unnamedPictures(main), QStringList());
    }

    void theTimeServerPicturesAreNamedAfterTheirTips()
    {
        InfoFixture f;
        Owner window;
        QWidget* ntp = made(window, new frmNTP(f.loadForm1()));
        // Named after what they stand for until a tip names the computer or the server.
        const QList<std::pair<const char*, QString>> pictures{{"Image1", "Local computer"}, {"Image2", "Time server"}};
        for (const auto& [picture, name] : pictures) {
            QAccessibleInterface* node = nodeOf(ntp, picture);
            QCOMPARE(node->role(), QAccessible::Graphic);
            QWidget* shown = ntp->findChild<QWidget*>(picture);
            shown->setToolTip({});
            QCOMPARE(node->text(QAccessible::Name), name);
            shown->setToolTip("Server : time.example");
            QCOMPARE(node->text(QAccessible::Name), QString("Server : time.example"));
        }
        for (const char* area : {"Image3", "Image4"})
            QVERIFY2(nodeOf(ntp, area)->state().invisible, area);
        QCOMPARE(unnamedPictures(ntp), QStringList());
    }

    void aPicturesPressDoesWhatItsClickDoes()
    {
        InfoFixture f;
        Form1* main = f.loadForm1();
        main->show();
        QAccessibleInterface* beep = nodeOf(main, "Image3");
        QCOMPARE(beep->role(), QAccessible::Button);
        const bool before = f.action("beephour")->isChecked();
        beep->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.action("beephour")->isChecked(), !before);
        QCOMPARE(nodeOf(main, "Image9")->role(), QAccessible::Graphic);
        QVERIFY(nodeOf(main, "Image9")->actionInterface()->actionNames().isEmpty());
    }

    void theZoneChoosersFieldsAreNamedAfterTheirCaptions()
    {
        InfoFixture f;
        f.loadForm1();
        f.trigger("AddTZ");
        FrmTZ* chooser = f.form1()->frmTZ();
        const QList<std::pair<const char*, QString>> named{
            {"List1", "Local System Time Zone"},   {"List2", "VN Target Time Zone"},
            {"Text1", "VN Target Time Zone Name"}, {"List3", "Actual Time Zones"},
            {"List4", "Time Zones Date Format"},
        };
        for (const auto& [field, caption] : named)
            QCOMPARE(nodeOf(chooser, field)->text(QAccessible::Name), caption);
        chooser->hide();
    }
};

VANTORA_TEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
