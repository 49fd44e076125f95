// What a user sees: the real program on a private X server with a window
// manager, judged by what the screen shows (a grab of the root window), not by
// what the widgets would draw offscreen.

#include "core/mainwin.h"
#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "tests/support/doubles/manualclock.h"
#include "compat/win32/shell.h"
#include "platform/desktop/trayicon.h"
#include "platform/media/mediaplayer.h"
#include "tests/support/doubles/recordingmediaplayer.h"
#include "platform/online/mailclient.h"
#include "platform/settings/settings.h"
#include "platform/system/singleinstance.h"
#include "tests/saver/xvfb.h"
#include "tests/support/xcbquery.h"
#include "tests/support/doubles/faketrayicon.h"
#include "tests/support/doubles/recordingmailclient.h"
#include "tests/support/doubles/recordingshell.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <cmath>
#include <functional>

namespace {

const QDateTime kStart(QDate(2026, 12, 9), QTime(12, 0, 0));

// ---- The X server's view ----

class XView {
public:
    XView() : m_conn(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
    }
    ~XView() { xcb_disconnect(m_conn); }

    QList<quint32> windows(const char* property, quint32 window = 0)
    {
        const xcb_atom_t name = atom(property);
        auto* reply = xcb_get_property_reply(
            m_conn, xcb_get_property(m_conn, 0, window ? window : m_root, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
            nullptr);
        QList<quint32> found;
        if (reply && reply->format == 32) {
            const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply));
            const int count = xcb_get_property_value_length(reply) / 4;
            for (int i = 0; i < count; ++i)
                found << values[i];
        }
        std::free(reply);
        return found;
    }

    // Bottom to top, as the window manager keeps it.
    QList<quint32> stacking() { return windows("_NET_CLIENT_LIST_STACKING"); }
    bool windowManagerRunning() { return !windows("_NET_SUPPORTING_WM_CHECK").isEmpty(); }
    bool allows(quint32 window, const char* action)
    {
        return windows("_NET_WM_ALLOWED_ACTIONS", window).contains(atom(action));
    }
    quint32 focus() { return testsupport::inputFocus(m_conn); }
    xcb_atom_t atom(const char* name) { return testsupport::internAtom(m_conn, name); }

private:
    xcb_connection_t* m_conn;
    xcb_window_t m_root = 0;
};

XView* g_x = nullptr;

// ---- Pixels ----

QImage screenShot(const QRect& area = {})
{
    const QRect r = area.isValid() ? area : QGuiApplication::primaryScreen()->geometry();
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// How many pixels of `shown` differ from the same place of `fresh`.
int differingPixels(const QImage& shown, const QImage& fresh)
{
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) != fresh.pixel(x, y))
                ++differing;
    return differing;
}

QRect areaOf(const QWidget* window) { return QRect(window->mapToGlobal(QPoint(0, 0)), window->size()); }

double luminance(QRgb c)
{
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The strongest contrast any pixel of the box shows against the box's
// commonest colour (the background the text stands on).
double textContrast(const QImage& screen, const QRect& box)
{
    const QRect r = box.intersected(screen.rect());
    QHash<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[screen.pixel(x, y)];
    QRgb back = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            back = it.key();
        }
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrast(it.key(), back));
    return best;
}

// ---- Texts ----

struct TextBox {
    QString what;
    QRect rect; // on the screen
    bool clipped = false;
};

QRect labelTextRect(const QLabel* label)
{
    const QRect area = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                      -label->margin());
    if (label->wordWrap())
        return area;
    return label->style()->itemTextRect(label->fontMetrics(), area, label->alignment(), true, label->text());
}

bool labelClipped(const QLabel* label)
{
    if (label->textFormat() == Qt::RichText || label->text().contains(QLatin1Char('<')))
        return false;
    if (label->wordWrap())
        return label->heightForWidth(label->width()) > label->height() + 1;
    const QRect needed = label->fontMetrics().boundingRect(QRect(), Qt::AlignLeft, label->text());
    return needed.width() > label->contentsRect().width() + 1;
}

QRect buttonTextRect(const QAbstractButton* button)
{
    if (qobject_cast<const QCheckBox*>(button) || qobject_cast<const QRadioButton*>(button)) {
        const int indicator = button->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button) + 4;
        return button->rect().adjusted(indicator, 0, 0, 0);
    }
    return button->style()->itemTextRect(button->fontMetrics(), button->rect().adjusted(3, 3, -3, -3), Qt::AlignCenter,
                                         true, button->text().remove(QLatin1Char('&')));
}

// Texts whose colours the window's design names itself, readable or not:
// the OS information captions (grey on dark grey) and a reminder time already
// past (red on dark grey).
bool designedColours(const QWidget* w)
{
    const QString where = w->window()->objectName() + QLatin1Char('/') + w->objectName();
    return where == QLatin1String("FrmOS/Label1_0") || where == QLatin1String("Form7/Label1_2");
}

// Every enabled text a user can see in the window, where it stands on screen
// (the part of it that its parents do not cut off or cover).
QList<TextBox> textsOf(QWidget* window)
{
    QList<TextBox> texts;
    const auto add = [&texts](const QWidget* w, const QString& text, const QRect& box, bool clipped = false) {
        const QRect seen = box.intersected(w->visibleRegion().boundingRect());
        if (text.trimmed().isEmpty() || !box.isValid() || seen.isEmpty())
            return;
        const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                       : w->objectName();
        texts.append({name + ": " + text, QRect(w->mapToGlobal(seen.topLeft()), seen.size()), clipped});
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || !w->isEnabled() || w->window() != window || designedColours(w))
            continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            add(label, label->text(), labelTextRect(label), labelClipped(label));
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            add(button, button->text(), buttonTextRect(button), button->sizeHint().width() > button->width() + 1);
        } else if (auto* bar = qobject_cast<QMenuBar*>(w)) {
            for (QAction* item : bar->actions())
                if (item->isVisible() && item->isEnabled())
                    add(bar, item->text(), bar->actionGeometry(item).adjusted(2, 2, -2, -2));
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            add(edit, edit->text(), edit->rect().adjusted(3, 3, -3, -3));
        } else if (auto* box = qobject_cast<QComboBox*>(w)) {
            add(box, box->currentText(), box->rect().adjusted(3, 3, -22, -3));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel;
            add(group, group->title(),
                group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group));
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            QAbstractItemModel* model = view->model();
            for (int row = 0; model && row < std::min(model->rowCount(), 3); ++row) {
                const QModelIndex index = model->index(row, 0);
                add(view->viewport(), index.data().toString(), view->visualRect(index));
            }
        }
    }
    return texts;
}

// ---- Waiting for the window manager ----

// The X window that shows the widget now (the widget's own winId() can name
// one that Qt has since replaced).
quint32 xWindow(QWidget* window)
{
    return window->windowHandle() ? static_cast<quint32>(window->windowHandle()->winId()) : 0;
}

bool stacksAbove(QWidget* window, QWidget* below)
{
    return QTest::qWaitFor(
        [&] {
            const QList<quint32> order = g_x->stacking();
            const auto top = order.indexOf(xWindow(window));
            const auto under = order.indexOf(xWindow(below));
            return top >= 0 && under >= 0 && top > under;
        },
        10000);
}

QWidget* shownWindow(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && (w->objectName() == name || QByteArray(w->metaObject()->className()) == name.toLatin1()))
            return w;
    return nullptr;
}

QWidget* waitForWindow(const QString& name)
{
    QWidget* found = nullptr;
    const bool up = QTest::qWaitFor(
        [&] { return (found = shownWindow(name)) != nullptr && QTest::qWaitForWindowExposed(found, 100); }, 10000);
    return up ? found : nullptr;
}

// The screen stops changing under the window (its first paint is through).
bool waitUntilSettled(QWidget* window)
{
    QImage last;
    return QTest::qWaitFor(
        [&] {
            const QImage now = screenShot(areaOf(window));
            const bool same = now == last;
            last = now;
            return same;
        },
        10000);
}

// ---- The ways a user runs the program ----

enum class Scheme { AlwaysVisible, NotAlwaysVisible, HighContrast };

QPalette highContrastPalette()
{
    QPalette p;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
        p.setColor(role, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
        p.setColor(role, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x1a, 0xeb, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::ToolTipBase, Qt::black);
    p.setColor(QPalette::ToolTipText, Qt::yellow);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x3f, 0xf2, 0x3f));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x3f, 0xf2, 0x3f));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x3f, 0xf2, 0x3f));
    return p;
}

void addSchemes()
{
    QTest::addColumn<Scheme>("scheme");
    QTest::newRow("always visible") << Scheme::AlwaysVisible;
    QTest::newRow("not always visible") << Scheme::NotAlwaysVisible;
    QTest::newRow("high contrast") << Scheme::HighContrast;
}

void option(const QString& key, const QString& value) { platform::saveSetting(QStringLiteral("Options"), key, value); }

// Starts the program the way its main does, with two world-clock rows.
Form1* startProgram(Scheme scheme)
{
    testsupport::environment().wipe();
    platform::releaseInstanceLock();
    option(QStringLiteral("FirstUse2"), QStringLiteral("False"));
    option(QStringLiteral("LastTZAdd"), QStringLiteral("2"));
    option(QStringLiteral("LastTZAddName1"), QStringLiteral("Tokyo"));
    option(QStringLiteral("VNTZval1"), QStringLiteral("-540"));
    option(QStringLiteral("LastTZAddName2"), QStringLiteral("Paris"));
    option(QStringLiteral("VNTZval2"), QStringLiteral("-60"));
    option(QStringLiteral("Form1OnTop"),
           scheme == Scheme::NotAlwaysVisible ? QStringLiteral("False") : QStringLiteral("True"));
    option(QStringLiteral("TZhc"), scheme == Scheme::HighContrast ? QStringLiteral("True") : QStringLiteral("False"));
    option(QStringLiteral("CLHighContrast"),
           scheme == Scheme::HighContrast ? QStringLiteral("True") : QStringLiteral("False"));
    QApplication::setPalette(scheme == Scheme::HighContrast ? highContrastPalette() : QPalette());
    MainWin::setStartupWindows(&appWindows());
    MainWin::Main();
    Form1* clock = appWindows().loadedForm1();
    return clock && QTest::qWaitForWindowExposed(clock, 10000) ? clock : nullptr;
}

void trigger(Form1* clock, const QString& command)
{
    if (auto* item = clock->findChild<QAction*>(command))
        item->trigger();
    else
        QTest::qFail(qPrintable(QStringLiteral("no command ") + command), __FILE__, __LINE__);
}

// ---- The windows of the Tools menu ----

struct WindowCase {
    QString command;                         // on the clock's Tools menu
    QString window;                          // the window it opens
    std::function<void(QWidget*)> dialog;    // opens a dialog of the window, checked the same way
    std::function<void(QWidget*)> fill = {}; // puts its longest texts in place
};

// The longest result the time-server window shows.
void longestTimeResult(QWidget* window)
{
    if (auto* result = window->findChild<QLabel*>(QStringLiteral("Label1")))
        result->setText(QStringLiteral("Clock not set: automatic time synchronisation is on"));
}

// The digit colour sample of the screensaver settings opens the colour
// dialog once the default colour is no longer used.
void openColourDialog(QWidget* settings)
{
    auto* useDefault = settings->findChild<QCheckBox*>(QStringLiteral("Check1_1"));
    QWidget* sample = settings->findChild<QWidget*>(QStringLiteral("Image1"));
    if (!useDefault || !sample)
        return;
    if (useDefault->isChecked())
        useDefault->click();
    if (QApplication::activeModalWidget() == settings)
        QTest::mouseClick(sample, Qt::LeftButton);
}

// Runs `check` on a window once it is up, from whichever event loop runs
// then (a modal window's own loop included); `giveUp` after about 10 s.
void whenUp(const std::function<QWidget*()>& find, const std::function<void(QWidget*)>& check,
            const std::function<void()>& giveUp, int tries = 500)
{
    QTimer::singleShot(20, [=] {
        QWidget* window = find();
        if (window && window->windowHandle() && window->windowHandle()->isExposed())
            check(window);
        else if (tries > 0)
            whenUp(find, check, giveUp, tries - 1);
        else
            giveUp();
    });
}

QList<WindowCase> toolsWindows()
{
    return {
        {QStringLiteral("AddTZ"), QStringLiteral("FrmTZ"), {}},
        {QStringLiteral("NTPserv"), QStringLiteral("frmNTP"), {}, longestTimeResult},
        {QStringLiteral("addrem_1"), QStringLiteral("Form7"), {}},
        {QStringLiteral("addrem_2"), QStringLiteral("frmMemo"), {}},
        {QStringLiteral("Plydf"), QStringLiteral("Radio"), {}},
        {QStringLiteral("seturl"), QStringLiteral("Form3"), {}},
        {QStringLiteral("VNSet"), QStringLiteral("SettingVN"), openColourDialog},
        {QStringLiteral("VNHist"), QStringLiteral("FrmHist"), {}},
        {QStringLiteral("sEula"), QStringLiteral("frmEULA2"), {}},
        {QStringLiteral("aboutdnw"), QStringLiteral("Form2"), {}},
        {QStringLiteral("OSInf"), QStringLiteral("FrmOS"), {}},
    };
}

} // namespace

Q_DECLARE_METATYPE(Scheme)

class TestRealScreen : public QObject {
    Q_OBJECT
    platform::ManualClock m_clock{kStart};
    platform::FakeTrayIcon m_tray;
    platform::RecordingShell m_shell;
    platform::RecordingMailClient m_mail;
    QStringList m_faults;

    void fault(const QString& text)
    {
        qInfo("%s", qPrintable(text));
        m_faults << text;
    }

    // What a user would object to in one shown window.
    void inspect(QWidget* window, Form1* clock, const QString& what)
    {
        if (!stacksAbove(window, clock)) {
            fault(what + ": under the clock");
        }
        if (window->minimumSize() == window->maximumSize()
            && g_x->allows(xWindow(window), "_NET_WM_ACTION_MAXIMIZE_HORZ"))
            fault(what + ": fixed size but offers to maximise");
        if (window->windowIcon().pixmap(32).toImage() != clock->windowIcon().pixmap(32).toImage())
            fault(what + ": not the clock's icon");
    }

    // Each text of the window stands out from what is behind it on screen
    // (3:1), and none is cut off.
    void inspectTexts(QWidget* window, const QString& what)
    {
        // A window that is slow to paint under load shows nothing yet: what
        // still fails after a while is a fault.
        QStringList found;
        const auto readable = [&] {
            found.clear();
            const QImage screen = screenShot();
            for (const TextBox& text : textsOf(window)) {
                const double ratio = textContrast(screen, text.rect);
                if (ratio < 3.0)
                    found << QStringLiteral("%1: \"%2\" contrast %3:1").arg(what, text.what).arg(ratio, 0, 'f', 2);
                if (text.clipped)
                    found << QStringLiteral("%1: \"%2\" clipped").arg(what, text.what);
            }
            return found.isEmpty();
        };
        if (!QTest::qWaitFor(readable, 10000))
            for (const QString& text : found)
                fault(text);
    }

    void closeWindow(QWidget* window)
    {
        window->close();
        if (!QTest::qWaitFor([window] { return !window->isVisible(); }, 5000))
            fault(window->objectName() + ": does not close");
    }

    // Opens a window from the Tools menu, checks it (and any dialog it opens
    // in turn) while it is up, then closes it. A modal window runs its own
    // loop inside trigger(): the check runs from that loop.
    void openAndInspect(Form1* clock, const WindowCase& c, const QString& scheme)
    {
        bool triggered = false;
        bool done = false;
        const QString what = scheme + " " + c.window;
        const auto find = [&] {
            QWidget* window = shownWindow(c.window);
            const bool settled = triggered || (window && QApplication::activeModalWidget() == window);
            return settled ? window : nullptr;
        };
        const auto check = [&](QWidget* window) {
            inspect(window, clock, what);
            if (c.fill)
                c.fill(window);
            inspectTexts(window, what);
            if (c.dialog)
                inspectDialog(window, clock, what, c.dialog);
            closeWindow(window);
            done = true;
        };
        whenUp(find, check, [&] {
            fault(what + ": did not open");
            done = true;
        });
        trigger(clock, c.command);
        triggered = true;
        if (!QTest::qWaitFor([&] { return done; }, 30000))
            fault(what + ": the check did not end");
    }

    void inspectDialog(QWidget* window, Form1* clock, const QString& what, const std::function<void(QWidget*)>& open)
    {
        bool done = false;
        const auto find = [window]() -> QWidget* {
            QWidget* modal = QApplication::activeModalWidget();
            return modal != window ? modal : nullptr;
        };
        whenUp(
            find,
            [&](QWidget* dialog) {
                inspect(dialog, clock, what + " dialog");
                if (!stacksAbove(dialog, window))
                    fault(what + " dialog: under its window");
                closeWindow(dialog);
                done = true;
            },
            [&] {
                fault(what + ": its dialog did not open");
                done = true;
            });
        open(window);
        if (!QTest::qWaitFor([&] { return done; }, 30000))
            fault(what + ": the dialog check did not end");
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QTRY_VERIFY_WITH_TIMEOUT(g_x->windowManagerRunning(), 20000);
        platform::setClock(&m_clock);
        platform::setTrayIcon(&m_tray);
        platform::setShell(&m_shell);
        platform::setMailClient(&m_mail);
        platform::setMediaPlayerFactory([] { return std::make_unique<platform::RecordingMediaPlayer>(); });
    }

    void cleanup()
    {
        appWindows().unloadAll();
        MainWin::setStartupWindows(nullptr);
        QApplication::setPalette(QPalette());
        m_faults.clear();
    }

    // A zone row 15 s after start shows exactly what a fresh drawing of its
    // label shows, on the row's bar: nothing of the earlier seconds.
    void worldClockRowsDrawEachSecondClean_data() { addSchemes(); }
    void worldClockRowsDrawEachSecondClean()
    {
        QFETCH(Scheme, scheme);
        Form1* clock = startProgram(scheme);
        QVERIFY(clock);
        QLabel* time = clock->findChild<QLabel*>(QStringLiteral("Label5_0"));
        QLabel* name = clock->findChild<QLabel*>(QStringLiteral("Label4_0"));
        QWidget* bar = clock->findChild<QWidget*>(QStringLiteral("Shape6_0"));
        QVERIFY(time && name && bar && time->isVisible());
        const auto rowOnScreen = [&] { return screenShot(areaOf(time)); };
        for (int second = 0; second < 15; ++second) {
            const QImage before = rowOnScreen();
            m_clock.advance(1000);
            QVERIFY(QTest::qWaitFor([&] { return rowOnScreen() != before; }, 10000));
        }
        QVERIFY(waitUntilSettled(clock));
        const QImage screen = screenShot();
        const QPoint barPoint = bar->mapToGlobal(QPoint(1, bar->height() / 2));
        const QRgb barColour = screen.pixel(barPoint);
        const QRgb nameBack = screen.pixel(name->mapToGlobal(QPoint(name->width() - 1, 0)));
        QCOMPARE(QColor(nameBack).name(), QColor(barColour).name());

        // The label drawn afresh, its background included.
        const QImage fresh = time->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shown = rowOnScreen();
        QCOMPARE(differingPixels(shown, fresh), 0);
        QCOMPARE(QColor(shown.pixel(0, 0)).name(), QColor(barColour).name());
    }

    // The whole clock, painted piece by piece as the seconds go by (digits,
    // flashing colon, blinking pictures, row times), shows on screen exactly
    // what a fresh drawing of the window shows.
    void theClockDrawsEachSecondClean_data() { addSchemes(); }
    void theClockDrawsEachSecondClean()
    {
        QFETCH(Scheme, scheme);
        Form1* clock = startProgram(scheme);
        QVERIFY(clock);
        const auto clockOnScreen = [&] { return screenShot(areaOf(clock)); };
        // Seventy seconds in half steps, each one shown before the next:
        // every digit value, lit and resting colons, blinks, a minute change.
        for (int step = 0; step < 140; ++step) {
            m_clock.advance(500);
            QVERIFY(waitUntilSettled(clock));
        }
        // "Flash on Seconds" switched off and on again: the steady colon, then the flashing one.
        for (int flashSwitched = 0; flashSwitched < 3; ++flashSwitched) {
            if (flashSwitched > 0)
                trigger(clock, QStringLiteral("Flsh"));
            for (const int lastStep : {0, 250}) { // the colon lit, then resting
                m_clock.advance(1000 - m_clock.now().time().msec() + lastStep);
                QVERIFY(waitUntilSettled(clock));
                const QImage fresh = clock->grab().toImage().convertToFormat(QImage::Format_RGB32);
                const QImage shown = clockOnScreen();
                QCOMPARE(shown.size(), fresh.size());
                QCOMPARE(differingPixels(shown, fresh), 0);
            }
        }
    }

    // The full-screen clock ends at the first key, however soon it comes, and
    // the keys go to the clock again afterwards.
    void previewTakesKeysAtOnceAndGivesTheFocusBack()
    {
        Form1* clock = startProgram(Scheme::AlwaysVisible);
        QVERIFY(clock);
        trigger(clock, QStringLiteral("PrevSSVN"));
        QWidget* preview = waitForWindow(QStringLiteral("MainVN"));
        QVERIFY(preview);
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("space")}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!preview->isVisible(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(clock->isVisible() && g_x->focus() == xWindow(clock), 10000);
    }

    // Every window of the Tools menu, and the dialog the screensaver settings
    // open: above the clock, no maximise button on a fixed size, the clock's
    // icon; the same when it is closed and opened again.
    void toolsWindowsAreUsable_data() { addSchemes(); }
    void toolsWindowsAreUsable()
    {
        QFETCH(Scheme, scheme);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        Form1* clock = startProgram(scheme);
        QVERIFY(clock);
        for (const WindowCase& c : toolsWindows()) {
            openAndInspect(clock, c, tag);
            openAndInspect(clock, c, tag + " opened again");
        }
        QVERIFY2(m_faults.isEmpty(), qPrintable(m_faults.join(QLatin1Char('\n'))));
    }
};

int main(int argc, char** argv)
{
    testsupport::environment();
    testsupport::Xvfb xvfb(QStringLiteral("1024x768x24"));
    if (!xvfb.isRunning())
        qFatal("Xvfb did not start");
    qputenv("DISPLAY", xvfb.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vantora-test-bus");
    testsupport::WindowManager openbox(xvfb.display());
    int code = 0;
    {
        QApplication app(argc, argv);
        XView x;
        g_x = &x;
        TestRealScreen tests;
        code = QTest::qExec(&tests, argc, argv);
        g_x = nullptr;
    }
    return code;
}

#include "test_realscreen.moc"
