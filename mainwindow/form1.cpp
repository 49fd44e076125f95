#include "mainwindow/form1.h"

#include "mainwindow/form1shape.h"
#include "mainwindow/rowtimelabel.h"
#include "platform/base/twips.h"
#include "platform/settings/options.h"

#include "core/datalist.h"
#include "core/sysmod.h"
#include "platform/base/clock.h"
#include "platform/base/dialogs.h"
#include "platform/base/program.h"
#include "platform/controls/accessibility.h"
#include "compat/win32/colors.h"
#include "widgets/leddigit.h"
#include "compat/vb/conversions.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"
#include "resources/resourceids.h"
#include "resources/resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <initializer_list>
#include <stdexcept>
#include <type_traits>

namespace {

using platform::kTwipsPerPixel;
constexpr int kClientWidth = 3000 / kTwipsPerPixel;
constexpr int kClientHeight = 1785 / kTwipsPerPixel;
constexpr int kColonLeft6 = 63;
constexpr int kColonLeft7 = 129;

// Window colours, as the window's design gives them (&HBBGGRR).
constexpr quint32 kPanelColour = 0x404040;
constexpr quint32 kStatusColour = 0x202020;
constexpr quint32 kDateColour = 0xFFFF00;
constexpr quint32 kDigitOn = 0xFFFF00;
constexpr quint32 kDigitOff = 0x404040;

using Shape = Form1Shape;

// A click area over or around a picture: it takes the pointer and carries a
// tip, and draws nothing, so a blink of the picture under it does not paint it.
class ClickArea : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {}
};

template <typename Label = QLabel, typename Parent = QWidget>
Label* makePicture(Parent* parent, const QRect& geometry, const QString& name, const QString& tip = {})
{
    auto* label = new Label(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setToolTip(tip);
    // A picture that paints its shape under itself covers its place.
    if constexpr (!std::is_base_of_v<PictureOnShape, Label>)
        label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

template <typename Label = QLabel>
Label* makeText(QWidget* parent, const QRect& geometry, const QString& name, quint32 colour, int pointSize)
{
    auto* label = makePicture<Label>(parent, geometry, name);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, platform::fromBgr(colour));
    label->setPalette(pal);
    QFont f = label->font();
    f.setPointSize(pointSize);
    label->setFont(f);
    return label;
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Form1"));
    Form_Initialize();
    buildControls();
    buildMenus();
    loadPictures();
    describeForScreenReaders();

    const std::array<std::pair<platform::Timer*, void (Form1::*)()>, 9> handlers{{
        {&Timer1, &Form1::Timer1_Timer},
        {&Timer2, &Form1::Timer2_Timer},
        {&Timer3, &Form1::Timer3_Timer},
        {&Timer4, &Form1::Timer4_Timer},
        {&Timer5, &Form1::Timer5_Timer},
        {&Timer6, &Form1::Timer6_Timer},
        {&Timer7, &Form1::Timer7_Timer},
        {&Timer8, &Form1::Timer8_Timer},
        {&Timer11, &Form1::Timer11_Timer},
    }};
    for (const auto& [timer, handler] : handlers)
        connect(timer, &platform::Timer::timeout, this, handler);
    Timer1.setPrecise(true);
    Timer1.setInterval(platform::msToNextSecond(platform::clock().now()));
    Timer1.setEnabled(true);
    new AboveMainWindow(this, [this] { return Form1OnTop; });
}

Form1::~Form1() = default;

void Form1::Form_Initialize()
{
    setFixedSize(kClientWidth, kClientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, platform::fromBgr(kPanelColour));
    setPalette(pal);
    setAutoFillBackground(true);
}

void Form1::buildControls()
{
    auto* panel = new Shape(this, kPanelColour);
    panel->setGeometry(0, 0, kClientWidth, 1425 / kTwipsPerPixel);
    Shape2 = panel;

    const std::array<int, 6> digitX{6, 34, 72, 100, 138, 166};
    for (int i = 0; i < 6; ++i) {
        LED1[i] = new platform::LedDigit(panel);
        LED1[i]->setObjectName(QStringLiteral("LED1_%1").arg(i));
        // The design's extents, 794 x 1032 HIMETRIC: 30 x 39 pixels.
        LED1[i]->setGeometry(QRect(QPoint(digitX[i], 10), platform::LedDigit::sizeForExtents(794, 1032, 96)));
        LED1[i]->setLedColorOn(kDigitOn);
        LED1[i]->setLedColorOff(kDigitOff);
        LED1[i]->setGround(panel->colour());
    }
    // The colon pictures are 8 pixels wide with an empty first column, drawn
    // from x = 63 and 129. Their labels start one pixel later, the picture
    // aligned right, so that they do not overlap the digits before them: a
    // flash of the seconds colon repaints the colon alone, and the flashing
    // one paints the panel under it itself.
    picSegment[6] = makePicture(panel, QRect(kColonLeft6 + 1, 10, 7, 39), QStringLiteral("picSegment_6"));
    picSegment[7] = makePicture<PictureOnShape>(panel, QRect(kColonLeft7 + 1, 10, 7, 39),
                                                QStringLiteral("picSegment_7"));
    for (QLabel* colon : {picSegment[6], picSegment[7]})
        colon->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    paintSecondsTogether(panel);

    Label6 = makeText(panel, QRect(0, 58, kClientWidth, 16), QStringLiteral("Label6"), kDateColour, 8);

    auto* status = new Shape(this, kStatusColour);
    status->setGeometry(0, 1470 / kTwipsPerPixel, kClientWidth, kClientHeight - 1470 / kTwipsPerPixel);
    Shape3 = status;

    const int iconTop = 1530 / kTwipsPerPixel - 98;
    // The two blinking pictures paint the bar under them themselves: a blink
    // repaints the picture alone.
    Image10 = makePicture<PictureOnShape>(status, QRect(4, iconTop, 16, 16), QStringLiteral("Image10"));
    Image11 = makePicture<ClickArea>(status, QRect(0, 0, 24, status->height()), QStringLiteral("Image11"));
    Image2 = makePicture(status, QRect(26, 1, 16, 16), QStringLiteral("Image2"), QStringLiteral("Alarm Enabled"));
    Label3 = makeText(status, QRect(44, 1, 70, 16), QStringLiteral("Label3"), 0x0000C0, 7);
    Label3->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    Image9 = makePicture(status, QRect(96, iconTop, 16, 16), QStringLiteral("Image9"));
    Image4 = makePicture(status, QRect(114, 1, 16, 16), QStringLiteral("Image4"));
    Image5 = makePicture<ClickArea>(status, QRect(114, 0, 18, status->height()), QStringLiteral("Image5"));
    Image3 = makePicture(status, QRect(132, iconTop, 16, 16), QStringLiteral("Image3"),
                         QStringLiteral("Hourly Beep Enabled"));
    Image8 = makePicture(status, QRect(150, iconTop, 16, 16), QStringLiteral("Image8"),
                         QStringLiteral("Radio Alarm Enabled"));
    Image6 = makePicture(status, QRect(166, iconTop, 16, 16), QStringLiteral("Image6"),
                         QStringLiteral("Play Default... F2"));
    Image12 = makePicture<PictureOnShape>(status, QRect(182, iconTop, 16, 16), QStringLiteral("Image12"));
    Image14 = makePicture<ClickArea>(status, QRect(180, 0, 20, status->height()), QStringLiteral("Image14"));
    Image4->setVisible(false);
    Image9->setVisible(false);
    // The click areas around the blinking pictures lie under them and the
    // pictures let the pointer through to them: with nothing over it, a
    // blinking picture repaints alone.
    for (auto [picture, area] : {std::pair{Image10, Image11}, std::pair{Image12, Image14}}) {
        area->stackUnder(picture);
        picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    for (int r = 0; r < 5; ++r) {
        Label4[r] = makeText(this, QRect(5, 0, 40, 14), QStringLiteral("Label4_%1").arg(r), 0x0000FF, 7);
        Label5[r] = makeText<RowTimeLabel>(this, QRect(46, 0, 150, 14), QStringLiteral("Label5_%1").arg(r), 0xFFFF00,
                                           7);
        Label4[r]->setVisible(false);
        Label5[r]->setVisible(false);
    }

    setMouseTracking(true);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

// The seconds digit and the flashing colon change in the same tick: one
// widget over them (and over the tens of seconds between) paints them in one
// repaint instead of one each.
void Form1::paintSecondsTogether(Form1Shape* panel)
{
    m_flashColon = static_cast<PictureOnShape*>(picSegment[7]);
    QList<PaintedTogether::Part> parts;
    for (platform::LedDigit* digit : {LED1[4], LED1[5]})
        parts.append({digit, [digit](QPainter& p, QPoint at, const QRect&) { p.drawPixmap(at, digit->picture()); }});
    PictureOnShape* colon = m_flashColon;
    parts.append({colon, [colon](QPainter& p, QPoint at, const QRect&) { p.drawPixmap(at, colon->look()); }});
    auto* seconds = new PaintedTogether(panel, {}, std::move(parts));
    seconds->setObjectName(QStringLiteral("secondsPictures"));
    // The panel's look where no picture lies.
    const auto ground = [panel, seconds](QPainter& p, const QRect& area) {
        p.save();
        p.translate(area.topLeft());
        panel->paintLook(p, area.translated(seconds->pos()));
        p.restore();
    };
    seconds->setGround(ground);
    for (platform::LedDigit* digit : {LED1[4], LED1[5]})
        digit->setRepaintedBy([seconds](const QRect& area) { seconds->repaintArea(area); });
    colon->setPaintedBy(seconds);
}

void Form1::loadPictures()
{
    auto* panel = static_cast<Shape*>(Shape2);
    panel->setSteadyColon(platform::loadBitmap(resid::BmpColonStatic), QPoint(kColonLeft7, picSegment[7]->y()));
    picSegment[6]->setPixmap(platform::loadBitmap(resid::BmpColonStatic));
    m_flashColon->setPicture(platform::loadBitmap(resid::BmpColonRest));
    Image2->setPixmap(platform::loadBitmap(resid::BmpAlarmOn));
    Image3->setPixmap(platform::loadBitmap(resid::BmpHourBeep));
    Image4->setPixmap(platform::loadBitmap(resid::BmpSnoozeMark));
    Image6->setPixmap(platform::loadBitmap(resid::BmpRadio));
    Image8->setPixmap(platform::loadBitmap(resid::BmpRadioAlarm));
    Image9->setPixmap(platform::loadBitmap(resid::BmpBusyRest));
    Image10->setPixmap(platform::loadBitmap(resid::BmpNtpSync1));
    Image12->setPixmap(platform::loadBitmap(resid::BmpUpdate1));
    // Every window of the program carries the clock's icon.
    QIcon icon;
    icon.addPixmap(platform::loadBitmap(resid::BmpProgramIcon16));
    icon.addPixmap(platform::loadBitmap(resid::BmpProgramIcon32));
    QApplication::setWindowIcon(icon);
    setWindowIcon(icon);
}

void Form1::describeForScreenReaders()
{
    using platform::PictureAction;
    platform::describeAsOneText(Shape2);
    for (QLabel* picture : {Image2, Image3, Image6, Image8, Image10, Image12})
        platform::describeAsPicture(picture, PictureAction::Click);
    platform::describeAsPicture(Image5, PictureAction::Click, QStringLiteral("Snooze"));
    platform::describeAsPicture(Image9, PictureAction::None);
    // Click areas over or around a picture, and the snooze mark's blink under its tip.
    for (QLabel* area : {Image4, Image7, Image11, Image14})
        platform::hideFromScreenReaders(area);
}

void Form1::updateClockText()
{
    const QString date = DispDatOn ? Label6->text() : QString();
    QString text;
    text.reserve(10 + date.size());
    for (size_t i = 0; i < LED1.size(); ++i) {
        if (i == 2 || i == 4)
            text += QLatin1Char(':');
        const qint16 value = LED1[i]->Value();
        if (value >= 0 && value <= 9)
            text += QLatin1Char(static_cast<char>('0' + value));
        else
            text += QString::number(value);
    }
    if (!date.isEmpty()) {
        text += QLatin1String(", ");
        text += date;
    }
    Shape2->setAccessibleName(text);
}

QString Form1::stationName(int slot) const
{
    return slot >= 0 && slot <= 12 ? StationName[static_cast<size_t>(slot)] : QString();
}

QString Form1::stationURL(int slot) const
{
    return slot >= 0 && slot <= 12 ? StationURL[static_cast<size_t>(slot)] : QString();
}

platform::Timer& Form1::timer(int number)
{
    std::array<platform::Timer*, 11> all{&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6,
                                         &Timer7, &Timer8, nullptr, nullptr, &Timer11};
    platform::Timer* found = all.at(static_cast<size_t>(number - 1));
    if (!found)
        throw std::out_of_range("a moment of the tick, not a timer");
    return *found;
}

Form1::LoadResult Form1::Form_Load()
{
    try {
        runLoadSteps();
    } catch (const platform::RuntimeError& e) {
        if (e.number() != 13) {
            m_loadResult = LoadResult::Partial;
            return m_loadResult;
        }
        const int answer = platform::dialogs().msgBox(
            QStringLiteral("A serious settings error occured.\r\n"
                           "VN can try to fix the problem with an all settings reset.\r\n\r\n"
                           "Do you want to try the fix ?\r\n"),
            platform::mb::YesNo | platform::mb::Question | platform::mb::DefaultButton2, QStringLiteral("Vantora"));
        m_loadResult = answer == platform::mb::Yes ? LoadResult::ResetRequested : LoadResult::EndRequested;
        return m_loadResult;
    } catch (const std::exception&) {
        m_loadResult = LoadResult::Partial;
        return m_loadResult;
    }
    // From here on errors are ignored: an update left behind is removed.
    QFile::remove(platform::appPath() + QStringLiteral("/VNUpdate.exe"));
    m_loadResult = LoadResult::Loaded;
    m_loadCompleted = true;
    return m_loadResult;
}

void Form1::runLoadSteps()
{
    InitialSize = static_cast<qint16>(height() * kTwipsPerPixel);
    DatFormSet();
    setWindowTitle(QStringLiteral("Vantora"));
    DigitShown.fill(QString());
    UpdateCountdownStart = platform::secondsSinceMidnight();
    ActuSyncVN = false;
    WavAlarm1 = platform::loadResource(QStringLiteral("CUSTOM"), 101);
    WavAlarm2 = platform::loadResource(QStringLiteral("CUSTOM"), 102);
    WavHourBeep = platform::loadResource(QStringLiteral("CUSTOM"), 103);
    DataList::InitDefRadio();
    for (const qint16 index : std::initializer_list<qint16>{10, 1, 2, 3, 4, 5, 6, 7})
        LoadOptions(index);

    FirstUse = platform::toBool(
        platform::getSetting(platform::kOptions, QStringLiteral("FirstUse"), QStringLiteral("True")));
    if (FirstUse) {
        LoadOptions(0);
        writeOption(QStringLiteral("FirstUse"), QStringLiteral("False"));
    }
    for (const qint16 index : std::initializer_list<qint16>{8, 9, 10, 11, 12, 14})
        LoadOptions(index);
    TZFormat = platform::getSetting(platform::kOptions, platform::optionkeys::kTZFormat,
                                    QStringLiteral("ddd dd mmm yyyy"));
    refreshScreenSaverItems();
    CLHighContrast = platform::toBool(
        platform::getSetting(platform::kOptions, platform::optionkeys::kCLHighContrast, QStringLiteral("False")));
    SetClHC_Click();
    FlashSet();
    SetLogNTP();
    SetmnuVNUpAuto();
    VNNetAutoSync2 = VNNetAutoSync;
    RaURL = StationURL[static_cast<size_t>(DefaultRadio)];
    NetAutoSync = platform::toBool(
        platform::getSetting(platform::kOptions, platform::optionkeys::kNetAutoSync, QStringLiteral("True")));
    for (int i = 1; i <= 6; ++i)
        SyncDigit[static_cast<size_t>(i)] = platform::getSetting(platform::kOptions, platform::optionkeys::syncDigit(i),
                                                                 QStringLiteral("0"));
    SetNTPASync();
    ActURL();
    SetColTxt2();
    SetColTxt();
    SetDateOption();
    Snoozed = false;
    SnoozeLength = 9;
    SnoozeCount = 0;
    AddToReg();
    {
        const QScopedValueRollback<bool> insideLoad(m_tickInsideLoad, true);
        Timer1_Timer();
    }
    loadZoneChooser();
    TZini();
    SetTZ();
    TZhcSet();
    m_blinkAllowed = true;
    applyBlinkTimer();
}

void Form1::popupTools(const QPoint& globalPos)
{
    tools_Click();
    tools->popup(globalPos);
}

// The menu opens at the clock with its first command highlighted, so that
// the arrow keys start from there and a screen reader names it.
void Form1::popupToolsFromKeyboard()
{
    popupTools(Shape2->mapToGlobal(Shape2->rect().center()));
    for (QAction* action : tools->actions()) {
        if (!action->isSeparator() && action->isVisible() && action->isEnabled()) {
            tools->setActiveAction(action);
            break;
        }
    }
}

// Shift+F10 and the Menu key open the Tools menu at the clock, as a right click does.
void Form1::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Menu && mods == Qt::NoModifier)
        || (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        popupToolsFromKeyboard();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form1::contextMenuEvent(QContextMenuEvent* event)
{
    // The right button has opened the menu on its press already; a window
    // system that turns the Menu key into this event opens it here, once.
    if (event->reason() != QContextMenuEvent::Mouse && !tools->isVisible())
        popupToolsFromKeyboard();
    event->accept();
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    storeWindowOptions();
    refreshScreenSaverItems();
    QWidget::mouseMoveEvent(event);
}

void Form1::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        popupTools(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        storeWindowOptions();
    } else if (event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            popupTools(press->globalPosition().toPoint());
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched == Label3) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Label3_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing the main window by any means ends the whole program at once.
    event->accept();
    platform::endProgram();
}
