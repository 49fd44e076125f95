#include "reminders/form7.h"

#include "core/sysmod.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "platform/controls/dialogkeys.h"
#include "compat/vb/conversions.h"
#include "compat/vb/formats.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "reminders/memowidgets.h"
#include "reminders/modmemo.h"
#include "resources/resourceids.h"
#include "resources/resources.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCharFormat>
#include <QTimeEdit>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

using platform::kOptions;
const QString kTimeFormat = QStringLiteral("HH:mm:ss");
const QColor kNormalText(0xC0, 0xFF, 0xFF);
const QColor kRefused(0xFF, 0x00, 0x00);
const QColor kBackground(0x40, 0x40, 0x40);

QString dateLabelText(const QDate& d) { return platform::formatDateTime(QDateTime(d, QTime(0, 0)), "dd mmm yyyy"); }

// The desktop's own colours, every role of them: a palette that leaves a
// role unset takes it from the window's dark one (light text on the
// desktop's light fields).
QPalette desktopPalette()
{
    QPalette desktop = QGuiApplication::palette();
    desktop.setResolveMask(~QPalette::ResolveMask(0));
    return desktop;
}

// The calendar draws the days of the months before and after in the disabled
// text colour: halfway between text and field they read as other months and
// still stand out enough to be read.
QPalette calendarPalette()
{
    QPalette calendar = desktopPalette();
    const QColor text = calendar.color(QPalette::Active, QPalette::Text);
    const QColor field = calendar.color(QPalette::Active, QPalette::Base);
    calendar.setColor(
        QPalette::Disabled, QPalette::Text,
        QColor((text.red() + field.red()) / 2, (text.green() + field.green()) / 2, (text.blue() + field.blue()) / 2));
    return calendar;
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

const QPixmap& blinkPicture(bool lit)
{
    static const QPixmap on = platform::loadBitmap(resid::BmpIndicatorOn);
    static const QPixmap off = platform::loadBitmap(resid::BmpIndicatorOff);
    return lit ? on : off;
}

} // namespace

QString reminderTitle(const MemoRec& rec)
{
    return QStringLiteral("Reminder - ") + platform::shortDateText(rec.MemDate) + QStringLiteral(" (") + rec.MemTime
        + QLatin1Char(')');
}

Form7::Form7(HostLink host, QWidget* parent) : QWidget(parent, Qt::Window), m_host(std::move(host))
{
    setObjectName(QStringLiteral("Form7"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Vantora"));
    buildControls();
    // Button 3 is "Add" when a new reminder is entered, button 4 its "Cancel"
    // (an automatic message's "Close"); a due notice has neither.
    platform::DialogKeys::install(this)->setDefault(m_buttons[2])->setCancel(m_buttons[3]);
}

Form7::~Form7() = default;

void Form7::buildControls()
{
    QPalette p = palette();
    p.setColor(QPalette::Window, kBackground);
    p.setColor(QPalette::WindowText, kNormalText);
    p.setColor(QPalette::Base, kBackground);
    p.setColor(QPalette::Text, kNormalText);
    // The buttons' text as the labels' (a disabled button keeps its own grey).
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::ButtonText, kNormalText);
    setPalette(p);
    setAutoFillBackground(true);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const std::array<QString, 4> keys = {QStringLiteral("Strem"), QStringLiteral("Snrem"), QStringLiteral("Adrem"),
                                         QStringLiteral("Canrem")};
    const std::array<QString, 4> captions = {QStringLiteral("Delete"), QStringLiteral("Snooze"), QStringLiteral("Add"),
                                             QStringLiteral("Cancel")};
    for (size_t i = 0; i < keys.size(); ++i) {
        QAction* button = Toolbar1->addAction(captions[i]);
        button->setObjectName(keys[i]);
        const QString& key = keys[i];
        connect(button, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        m_buttons[i] = button;
    }
    layout->addWidget(Toolbar1);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setToolTip(QStringLiteral("Enter the text for your reminder"));
    Text1->setMinimumSize(330, 110);
    connect(Text1, &QPlainTextEdit::textChanged, this, &Form7::Text1_Change);
    layout->addWidget(Text1);

    // Takes the focus in the notice modes so that the message shows no caret.
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setFixedSize(1, 1);
    Text2->move(-10, -10);

    auto* status = new QHBoxLayout;
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(blinkPicture(false));
    Label1[0] = new QLabel(QStringLiteral("00:00:00"), this);
    Label1[0]->setToolTip(QStringLiteral("Current Time"));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setToolTip(QStringLiteral("Reminder Date and Time"));
    Image2->setPixmap(platform::loadBitmap(resid::BmpSnoozeClock));
    Image2->installEventFilter(this);
    Label1[1] = new QLabel(this);
    Label1[1]->setToolTip(QStringLiteral("Reminder Date"));
    Label1[2] = new QLabel(this);
    Label1[2]->setToolTip(QStringLiteral("Reminder Time"));
    for (int i = 0; i < 3; ++i) {
        Label1[static_cast<size_t>(i)]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1[static_cast<size_t>(i)]->installEventFilter(this);
    }
    status->addWidget(Image1);
    status->addWidget(Label1[0]);
    status->addStretch();
    status->addWidget(Label1[1]);
    status->addWidget(Label1[2]);
    status->addWidget(Image2);
    layout->addLayout(status);

    Frame1 = new QWidget(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* frame = new QGridLayout(Frame1);
    frame->setContentsMargins(0, 0, 0, 0);
    Calendar1 = new QCalendarWidget(Frame1);
    Calendar1->setObjectName(QStringLiteral("Calendar1"));
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar1->setPalette(calendarPalette());
    connect(Calendar1, &QCalendarWidget::selectionChanged, this, &Form7::showPickedDate);
    connect(Calendar1, &QCalendarWidget::currentPageChanged, this, &Form7::boldReminderDays);
    frame->addWidget(Calendar1, 0, 0, 4, 1);
    Label2 = new QLabel(QStringLiteral("Reminder Time"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    frame->addWidget(Label2, 0, 1);
    DTPicker1 = new QTimeEdit(Frame1);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker1->setDisplayFormat(kTimeFormat);
    DTPicker1->setPalette(desktopPalette());
    connect(DTPicker1, &QTimeEdit::timeChanged, this, &Form7::showPickedTime);
    frame->addWidget(DTPicker1, 1, 1);
    Check1 = new QCheckBox(QStringLiteral("Default Time"), Frame1);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setToolTip(QStringLiteral("Use the displayed time as default reminders time"));
    connect(Check1, &QCheckBox::clicked, this, &Form7::Check1_Click);
    frame->addWidget(Check1, 2, 1);
    frame->setRowStretch(3, 1);
    layout->addWidget(Frame1);
    Frame1->hide();
}

bool Form7::EnterMessa(qint16 MessID, const QString& Titr, qint16 MessType, const QString& Mess, bool But1, bool But2,
                       bool But3, bool But4, const QString& But1Mess, const QString& But2Mess, const QString& But3Mess,
                       const QString& But4Mess, const QDate& FicDateTemp, const QString& FicTimeTemp,
                       const QString& FicMemoTemp)
{
    m_messType = MessType;
    m_messId = MessID;
    setWindowTitle(QStringLiteral("Vantora - ") + Titr);
    showMessage(Mess);
    try {
        DefTimeCurrent = platform::toBool(platform::getSetting(kOptions, "DefTimeCurrent", "True"));
    } catch (const std::exception&) {
        DefTimeCurrent = true;
    }
    DefDefaultTime = platform::getSetting(kOptions, "DefDefaultTime", "09:00:00");
    if (!QTime::fromString(DefDefaultTime, kTimeFormat).isValid())
        DefDefaultTime = QStringLiteral("09:00:00");

    setButtons({But1, But2, But3, But4}, {But1Mess, But2Mess, But3Mess, But4Mess});

    if (MessType == DueReminder || MessType == PendingReminder) {
        m_pending = Pending{true,
                            normalisedMemo(MemoRec{FicDateTemp, FicTimeTemp, FicMemoTemp}),
                            MessType == PendingReminder,
                            false,
                            MessType,
                            windowTitle()};
        // The reminder leaves the store before its notice shows, so that no
        // other tick (or copy of the program) can open it a second time.
        if (MessType == DueReminder && !moveDueReminder()) {
            m_closedSent = true;
            hide();
            deleteLater();
            return false;
        }
    }

    if (MessType == NewReminder)
        applyNewReminderMode();
    else
        applyNoticeMode();
    show();
    if (MessType == NewReminder)
        Text1->setFocus();
    else
        Text2->setFocus();
    return true;
}

void Form7::showMessage(const QString& text)
{
    const QSignalBlocker quiet(Text1);
    QString shown = text;
    Text1->setPlainText(shown.replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

void Form7::setButtons(const std::array<bool, 4>& enabled, const std::array<QString, 4>& captions)
{
    for (size_t n = 0; n < m_buttons.size(); ++n) {
        m_buttons[n]->setEnabled(enabled[n]);
        m_buttons[n]->setText(captions[n]);
        m_buttons[n]->setVisible(!captions[n].isEmpty());
    }
}

bool Form7::moveDueReminder()
{
    const ModMemo::MoveResult moved = ModMemo::moveToPending(m_pending.rec);
    switch (moved.where) {
    case ModMemo::Move::Gone: return false;
    case ModMemo::Move::Moved: m_pending.inTemp = true; break;
    case ModMemo::Move::StayedInMemo: m_pending.inMemo = true; break;
    case ModMemo::Move::InBoth:
        m_pending.inTemp = true;
        m_pending.inMemo = true;
        break;
    }
    return true;
}

void Form7::applyNewReminderMode()
{
    Text1->setReadOnly(false);
    for (QLabel* label : {Label1[1], Label1[2]})
        label->setVisible(true);
    Image2->setVisible(true);
    const QDateTime now = platform::clock().now();
    Calendar1->setSelectedDate(now.date());
    Calendar1->setCurrentPage(now.date().year(), now.date().month());
    Label1[1]->setText(dateLabelText(now.date()));
    {
        const QSignalBlocker quiet(DTPicker1);
        if (DefTimeCurrent) {
            DTPicker1->setTime(QTime(now.time().hour(), now.time().minute(), 0));
            Label1[2]->setText(now.time().toString(kTimeFormat));
        } else {
            DTPicker1->setTime(QTime::fromString(DefDefaultTime, kTimeFormat));
            Label1[2]->setText(DefDefaultTime);
        }
    }
    Check1->setChecked(!DefTimeCurrent);
    boldReminderDays();
    showDateTimeSection(true);
    CheckRemDT();
}

void Form7::applyNoticeMode()
{
    Text1->setReadOnly(true);
    for (QLabel* label : {Label1[1], Label1[2]})
        label->setVisible(false);
    Image2->setVisible(false);
    showDateTimeSection(false);
}

void Form7::showDateTimeSection(bool on)
{
    Frame1->setVisible(on);
    adjustSize();
}

void Form7::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Activate();
}

void Form7::Form_Activate()
{
    Label1[0]->setText(nowText());
    const bool onTop = !m_host || m_host->state().Form1OnTop;
    SetOnTop(this, onTop ? -1 : 0);
}

QString Form7::nowText() const { return platform::clock().now().time().toString(kTimeFormat); }

void Form7::CheckRemDT()
{
    if (m_messType != NewReminder)
        return;
    const QDate today = platform::clock().now().date();
    const QDate D = Calendar1->selectedDate();
    const QString T = Label1[2]->text();
    const QString N = nowText();
    const bool E = Text1->toPlainText().isEmpty();
    bool dateOk = true;
    bool timeOk = true;
    if (D < today) {
        dateOk = timeOk = false;
    } else if (D == today && T <= N) {
        timeOk = false;
    }
    setTextColour(Label1[1], dateOk ? kNormalText : kRefused);
    setTextColour(Label1[2], timeOk ? kNormalText : kRefused);
    m_buttons[2]->setEnabled(dateOk && timeOk && !E);
}

void Form7::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("Adrem")) {
        const QDate date = Calendar1->selectedDate();
        const QString time = DTPicker1->time().toString(kTimeFormat);
        const ModMemo::Result added = ModMemo::MemoAdd(date, time, Text1->toPlainText());
        if (!added) {
            showError(added.error, QStringLiteral("New Reminder"));
            return;
        }
        // A snoozed reminder leaves the pending notices once its new one is stored.
        releasePending();
        saveDefaultTimeIfChecked();
        afterAnswer();
    } else if (key == QLatin1String("Canrem")) {
        saveDefaultTimeIfChecked();
        // A snoozed reminder is not dropped: its notice comes back.
        if (m_pending.held)
            returnToNotice();
        else
            afterAnswer();
    } else if (key == QLatin1String("Snrem")) {
        // The reminder stays pending until its new time is stored; Cancel brings its notice back.
        EnterMessa(0, QStringLiteral("Add New Reminder"), NewReminder, Text1->toPlainText(), false, false, true, true,
                   QString(), QString(), QStringLiteral("Add"), QStringLiteral("Cancel"), QDate(), QString(),
                   QString());
    } else if (key == QLatin1String("Strem")) {
        if (!releasePending())
            return;
        afterAnswer();
    }
}

void Form7::returnToNotice()
{
    m_messType = m_pending.mode;
    setWindowTitle(m_pending.title);
    showMessage(m_pending.rec.MemText);
    setButtons({true, true, false, false}, {QStringLiteral("Delete"), QStringLiteral("Snooze"), QString(), QString()});
    applyNoticeMode();
    Text2->setFocus();
}

bool Form7::releasePending()
{
    if (!m_pending.held)
        return true;
    const MemoRec& rec = m_pending.rec;
    if (m_pending.inTemp) {
        const ModMemo::Result r = ModMemo::MemoDeleteMatch(rec.MemDate, rec.MemTime, rec.MemText);
        if (!r) {
            showError(r.error, QStringLiteral("Vantora"));
            return false;
        }
        m_pending.inTemp = false;
    }
    if (m_pending.inMemo) {
        const ModMemo::Result r = ModMemo::changeMemos(
            [&](QList<MemoRec>& list) { ModMemo::removeOneMemo(list, rec); });
        if (!r) {
            showError(r.error, QStringLiteral("Vantora"));
            return false;
        }
        m_pending.inMemo = false;
    }
    m_pending.held = false;
    ModMemo::MemoLoad();
    return true;
}

void Form7::afterAnswer()
{
    if (m_host && m_host->busyAnimationRunning())
        m_host->StopTimer8();
    close();
}

void Form7::saveDefaultTimeIfChecked()
{
    if (Check1->isChecked())
        platform::saveSetting(kOptions, QStringLiteral("DefDefaultTime"), DTPicker1->time().toString(kTimeFormat));
}

void Form7::showError(const QString& error, const QString& title)
{
    platform::dialogs().msgBox(QStringLiteral("Error: ") + error + QStringLiteral("\r\n\r\nPlease, try again..."),
                               platform::mb::Critical, title);
}

void Form7::Check1_Click()
{
    DefTimeCurrent = !Check1->isChecked();
    platform::saveSetting(kOptions, QStringLiteral("DefTimeCurrent"), platform::boolText(DefTimeCurrent));
    DefDefaultTime = DTPicker1->time().toString(kTimeFormat);
    platform::saveSetting(kOptions, QStringLiteral("DefDefaultTime"), DefDefaultTime);
}

void Form7::Text1_Change()
{
    stripDoubleQuotes(Text1);
    if (m_messType == NewReminder)
        CheckRemDT();
}

void Form7::blink()
{
    m_blink = !m_blink;
    Image1->setPixmap(blinkPicture(m_blink));
}

void Form7::showCurrentTime(const QString& time)
{
    Label1[0]->setText(time);
    CheckRemDT();
}

void Form7::boldReminderDays() { boldMemoDays(Calendar1, ModMemo::Memos()); }

void Form7::showPickedDate()
{
    Label1[1]->setText(dateLabelText(Calendar1->selectedDate()));
    CheckRemDT();
}

void Form7::showPickedTime()
{
    Label1[2]->setText(DTPicker1->time().toString(kTimeFormat));
    CheckRemDT();
}

bool Form7::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && m_messType == NewReminder
        && (watched == Image2 || watched == Label1[1] || watched == Label1[2]))
        showDateTimeSection(!Frame1->isVisible());
    return QWidget::eventFilter(watched, event);
}

void Form7::closeEvent(QCloseEvent* event)
{
    // Closed by its frame a notice keeps its reminder pending: it comes back at
    // the next start. An automatic message still ends the busy animation that
    // waits for it.
    if (m_messType == AutomaticMessage && m_host && m_host->busyAnimationRunning())
        m_host->StopTimer8();
    QWidget::closeEvent(event);
    if (!m_closedSent) {
        m_closedSent = true;
        emit closed();
    }
}
