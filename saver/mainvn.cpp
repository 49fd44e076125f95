#include "saver/mainvn.h"

#include "platform/base/clock.h"
#include "platform/base/program.h"
#include "compat/win32/colors.h"
#include "widgets/leddigit.h"
#include "compat/vb/formats.h"
#include "platform/base/twips.h"
#include "saver/inmainapp.h"
#include "saver/saveroptions.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// The window's design, in twips (15 to a pixel at the design's resolution).
using platform::kTwipsPerPixel;
constexpr double kPanelWidth = 9255;
constexpr double kPanelHeight = 1935;
constexpr double kMargin = 750;
constexpr double kDigitWidth = 1365;
constexpr double kDigitHeight = 1755;
constexpr double kDigitTop = 90;
constexpr std::array<double, 6> kDigitLefts{60, 1440, 3240, 4620, 6420, 7800};
constexpr double kDotWidth = 225;
constexpr double kDotHeight = 195;
constexpr std::array<double, 4> kDotLefts{2730, 2730, 5910, 5910};
constexpr std::array<double, 4> kDotTops{720, 1050, 720, 1050};
constexpr double kDateWidth = 10515;
constexpr double kDateHeight = 525;
constexpr double kDateMargin = 150;
// Tahoma 21.75 pt at the design's 96 dots per inch.
constexpr double kDatePixels = 21.75 * 96 / 72;
constexpr quint32 kDateGrey = 0xC0C0C0;

QColor colourOf(quint32 bgr) { return platform::fromBgr(bgr); }

void fill(QWidget* widget, quint32 bgr)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colourOf(bgr));
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

void setTextColour(QLabel* label, quint32 bgr)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colourOf(bgr));
    label->setPalette(pal);
}

} // namespace

MainVN::MainVN(EndRoutine endRoutine, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_endRoutine(std::move(endRoutine))
{
    setObjectName(QStringLiteral("MainVN"));
    setWindowTitle(QStringLiteral("VN"));
    fill(this, 0x000000);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    buildControls();
    Picture1->move(px(kMargin), px(kMargin)); // the designed place
    connect(&Timer1, &platform::Timer::timeout, this, &MainVN::Timer1_Timer);
}

MainVN::~MainVN() = default;

void MainVN::buildControls()
{
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    fill(Picture1, 0x000000);
    for (int i = 0; i < 6; ++i) {
        LED1[i] = new platform::LedDigit(Picture1);
        LED1[i]->setObjectName(QStringLiteral("LED1_%1").arg(i));
    }
    for (int i = 0; i < 4; ++i) {
        Shape1[i] = new QWidget(Picture1);
        Shape1[i]->setObjectName(QStringLiteral("Shape1_%1").arg(i));
    }
    // Catches clicks on the clock; it draws nothing.
    Image1 = new QWidget(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    setTextColour(Label1, kDateGrey);
    QFont font(QStringLiteral("Tahoma"));
    font.setBold(false);
    Label1->setFont(font);
    Label1->setVisible(false);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->setFocusPolicy(Qt::NoFocus);
        child->installEventFilter(this);
    }
    layoutControls();
}

void MainVN::setHostArea(const QSize& size)
{
    m_hostArea = size;
    if (!isVisible())
        return;
    // The host window changed size: lay the clock out again where it is.
    const bool dateAtTop = Label1->y() == dateTopY();
    resize(screenArea());
    layoutControls();
    Label1->move(width() / 2 - Label1->width() / 2, dateAtTop ? dateTopY() : dateBottomY());
    PosVN();
}

QSize MainVN::screenArea() const
{
    if (m_hostArea.isValid())
        return m_hostArea;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

int MainVN::px(double twips) const { return static_cast<int>(std::lround(twips * m_scale / kTwipsPerPixel)); }

// The design is drawn at its own size; an area too small for it (a preview
// window) gets the whole design shrunk to fit.
void MainVN::layoutControls()
{
    const QSize area = screenArea();
    const double designWidth = (kPanelWidth + 2 * kMargin) / kTwipsPerPixel;
    const double designHeight = (kPanelHeight + 2 * kMargin + 2 * (kDateHeight + kDateMargin)) / kTwipsPerPixel;
    m_scale = std::clamp(std::min(area.width() / designWidth, area.height() / designHeight), 0.05, 1.0);

    Picture1->resize(px(kPanelWidth), px(kPanelHeight));
    for (int i = 0; i < 6; ++i)
        LED1[i]->setGeometry(px(kDigitLefts[i]), px(kDigitTop), px(kDigitWidth), px(kDigitHeight));
    for (int i = 0; i < 4; ++i)
        Shape1[i]->setGeometry(px(kDotLefts[i]), px(kDotTops[i]), px(kDotWidth), px(kDotHeight));
    Image1->setGeometry(0, 0, Picture1->width(), Picture1->height());
    Image1->raise();
    QFont font = Label1->font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(kDatePixels * m_scale))));
    Label1->setFont(font);
    Label1->resize(px(kDateWidth), px(kDateHeight));
}

int MainVN::dateTopY() const { return px(kDateMargin); }

int MainVN::dateBottomY() const { return height() - px(kDateMargin) - Label1->height(); }

void MainVN::Form_Load()
{
    m_ending = false;
    resize(screenArea());
    layoutControls();
    m_shownDigits.fill(QString());
    const QDateTime now = platform::clock().now();
    m_loadTime = now.toString(QStringLiteral("HHmmss"));
    m_random.seed(static_cast<quint32>(now.time().minute() * now.time().second()));
    Minutes10 = SaverOptions::readBool(QStringLiteral("Minutes10"), true);
    AffHeur();
    DigCouleur();
    DispDate = SaverOptions::readBool(QStringLiteral("DispDate"), false);
    DateTop = SaverOptions::readBool(QStringLiteral("DateTop"), true);
    Label1->move(width() / 2 - Label1->width() / 2, DateTop ? dateTopY() : dateBottomY());
    Label1->setVisible(DispDate);
    m_dateColour = SaverOptions::readColour(QStringLiteral("DispColorDate")).value_or(m_digitColour);
    setTextColour(Label1, m_dateColour);
    if (DispDate)
        AffDate();
    AlternDate = SaverOptions::readBool(QStringLiteral("AlternDate"), false);
    m_fixedPosition = SaverOptions::readNumber(QStringLiteral("DigitPos"), 1);
    VNFixedPos = SaverOptions::readBool(QStringLiteral("VNFixedPos"), true);
    DigPos();
    if (!isHosted()) {
        platform::ShowCursor(false);
        showFullScreen();
        // Keys count from the first moment the clock is on screen, not from
        // whenever the window manager hands it the focus.
        if (QWindow* handle = windowHandle())
            handle->installEventFilter(this);
    } else {
        show();
    }
    Picture1->setVisible(true);
    raise();
    activateWindow();
    setFocus();
    Timer1.setEnabled(true);
}

void MainVN::Unload()
{
    Timer1.setEnabled(false);
    releaseKeyboard();
    hide();
}

void MainVN::Timer1_Timer()
{
    if (platform::clock().now().toString(QStringLiteral("HHmmss")) != m_loadTime)
        AffHeur();
}

void MainVN::AffHeur()
{
    const QString t = platform::clock().now().toString(QStringLiteral("HH mm ss"));
    const std::array<int, 6> at{0, 1, 3, 4, 6, 7};
    for (int i = 1; i <= 6; ++i)
        m_newDigits[i] = t.mid(at[i - 1], 1);
    for (int i = 1; i <= 6; ++i)
        if (m_newDigits[i] != m_shownDigits[i])
            LED1[i - 1]->setValue(static_cast<qint16>(m_newDigits[i].toInt()));

    const auto zero = [this](int i) { return m_newDigits[i] == QLatin1String("0"); };
    const bool firstTickOfSecond = m_shownDigits[6] != m_newDigits[6];
    if (firstTickOfSecond && !VNFixedPos) {
        const bool minuteMove = !Minutes10 && zero(5) && zero(6);
        const bool tenMinuteMove = Minutes10 && zero(4) && zero(5) && zero(6);
        if (minuteMove || tenMinuteMove) {
            DigPos();
            if (DispDate)
                AffDate();
            if (DispDate && AlternDate)
                MovDate();
        }
    } else if (firstTickOfSecond && VNFixedPos && DispDate && zero(3) && zero(4) && zero(5) && zero(6)) {
        AffDate();
    }
    m_shownDigits = m_newDigits;
}

void MainVN::AffDate()
{
    Label1->setText(platform::formatDateTime(platform::clock().now(), QStringLiteral("dddd dd mmmm yyyy")));
}

void MainVN::MovDate()
{
    if (Label1->y() == dateTopY())
        Label1->move(Label1->x(), dateBottomY());
    else if (Label1->y() == dateBottomY())
        Label1->move(Label1->x(), dateTopY());
}

void MainVN::DigPos()
{
    if (VNFixedPos) {
        m_position = m_fixedPosition;
        PosVN();
        return;
    }
    RandomPos = SaverOptions::readBool(QStringLiteral("RandomPos"), false);
    if (RandomPos)
        PosRandTrue();
    else
        PosRandFalse();
}

void MainVN::PosRandTrue()
{
    const double current = m_position.value_or(0);
    double next = current;
    while (next == current)
        next = m_random.bounded(5);
    m_position = next;
    PosVN();
}

void MainVN::PosRandFalse()
{
    double next = m_position.value_or(0) + 1;
    if (next > 4)
        next = 0;
    m_position = next;
    PosVN();
}

void MainVN::PosVN()
{
    Picture1->setVisible(false);
    const int W = width();
    const int H = height();
    const int w = Picture1->width();
    const int h = Picture1->height();
    const int margin = px(kMargin);
    const double p = m_position.value_or(0);
    if (p == 0)
        Picture1->move(W / 2 - w / 2, H / 2 - h / 2);
    else if (p == 1)
        Picture1->move(margin, margin);
    else if (p == 2)
        Picture1->move(W - margin - w, margin);
    else if (p == 3)
        Picture1->move(W - margin - w, H - margin - h);
    else if (p == 4)
        Picture1->move(margin, H - margin - h);
    Picture1->setVisible(true);
}

void MainVN::DigCouleur()
{
    const double useDefault = SaverOptions::readNumber(QStringLiteral("DefaultColor"), 1);
    m_digitColour = useDefault == 1
        ? SaverOptions::DefaultDigitColour
        : SaverOptions::readColour(QStringLiteral("DispColor")).value_or(SaverOptions::DefaultDigitColour);
    for (platform::LedDigit* led : LED1)
        led->setLedColorOn(m_digitColour);
    for (QWidget* dot : Shape1)
        fill(dot, m_digitColour);
}

void MainVN::endShow()
{
    // However many events arrive before the host has ended the clock, the end
    // routine runs once, so the cursor count stays right.
    if (m_ending || isHosted())
        return;
    m_ending = true;
    if (m_endRoutine)
        m_endRoutine();
}

void MainVN::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    endShow();
}

void MainVN::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    endShow();
}

void MainVN::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (isHosted() || m_ending)
        return;
    const float x = static_cast<float>(event->position().x());
    const auto y = static_cast<qint32>(std::lround(event->position().y()));
    if (!m_recordedMouse) {
        m_recordedMouse = std::pair(x, y);
        return;
    }
    if (m_recordedMouse->first == x && m_recordedMouse->second == y)
        return;
    if (InMainApp)
        m_recordedMouse.reset(); // the next preview takes its first move as the reference again
    else
        m_recordedMouse = std::pair(x, y);
    endShow();
}

bool MainVN::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle()) {
        if (event->type() == QEvent::Expose && windowHandle()->isExposed() && Timer1.isEnabled())
            grabKeyboard();
        return false;
    }
    // Presses on the panel and on the click area end the clock like presses on
    // the window; moves over them count as moves over the window.
    if (event->type() == QEvent::MouseButtonPress) {
        endShow();
        return true;
    }
    if (event->type() == QEvent::MouseMove && watched != this) {
        auto* move = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        QMouseEvent mapped(QEvent::MouseMove, widget->mapTo(this, move->position().toPoint()), move->globalPosition(),
                           move->button(), move->buttons(), move->modifiers());
        mouseMoveEvent(&mapped);
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        endShow();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
