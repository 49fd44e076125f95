#include "saver/settingvn.h"

#include "platform/base/appinfo.h"
#include "platform/base/clock.h"
#include "compat/win32/colordialog.h"
#include "compat/win32/colors.h"
#include "platform/base/twips.h"
#include "platform/controls/dialogkeys.h"
#include "compat/vb/formats.h"
#include "saver/inmainapp.h"
#include "saver/saveroptions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace {

using platform::kTwipsPerPixel;
constexpr int tw(int twips) { return twips / kTwipsPerPixel; }

// The date bar's two places on the miniature screen (twips).
constexpr int kDateBarTop = 525;
constexpr int kDateBarBottom = 1545;

// A plain rectangle that reports a click.
class ClickArea : public QWidget {
public:
    ClickArea(QWidget* parent, const QString& name, const QRect& geometry, std::function<void()> onClick)
        : QWidget(parent), m_onClick(std::move(onClick))
    {
        setObjectName(name);
        setGeometry(geometry);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_onClick)
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
};

void fill(QWidget* widget, const QColor& colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

void setTextColour(QLabel* label, quint32 bgr)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, platform::fromBgr(bgr));
    label->setPalette(pal);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

template <typename Button>
Button* makeButton(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* button = new Button(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

const QString kCycleCaption = QStringLiteral("Multi Position (Cycle)");
const QString kRandomCaption = QStringLiteral("Multi Position (Random)");

QGroupBox* makeFrame(QWidget* parent, const QString& title, const QRect& geometry)
{
    auto* frame = new QGroupBox(title, parent);
    frame->setGeometry(geometry);
    return frame;
}

} // namespace

SettingVN::SettingVN(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("SettingVN"));
    setFixedSize(tw(4590), tw(7350));
    buildControls();
    fitPositionColumn();
    connectHandlers();
    platform::DialogKeys::install(this)->setDefault(Command2);
    connect(&Timer1, &platform::Timer::timeout, this, &SettingVN::Timer1_Timer);
    connect(&Timer2, &platform::Timer::timeout, this, &SettingVN::Timer2_Timer);
    connect(&Timer3, &platform::Timer::timeout, this, &SettingVN::Timer3_Timer);
    Timer3.setEnabled(true);
    Form_Load();
}

SettingVN::~SettingVN() = default;

void SettingVN::buildControls()
{
    Label3 = makeLabel(this, QStringLiteral("Label3"), QStringLiteral("Displays current time as Screen Saver"),
                       QRect(8, 6, 290, 16));
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label4 = makeLabel(this, QStringLiteral("Label4"), QString(), QRect(8, 24, 290, 14));

    QGroupBox* position = makeFrame(this, QStringLiteral("On Screen Position"), QRect(8, 42, 290, 200));
    Shape1 = new QWidget(position);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(tw(480), tw(480), tw(1605), tw(1215));
    fill(Shape1, platform::fromBgr(0x404040));
    const std::array<QPoint, 5> boxes{QPoint(1080, 1020), QPoint(540, 540), QPoint(1620, 540), QPoint(1620, 1440),
                                      QPoint(540, 1440)};
    for (int i = 0; i < 5; ++i)
        Picture1[i] = new ClickArea(position, QStringLiteral("Picture1_%1").arg(i),
                                    QRect(tw(boxes[i].x()), tw(boxes[i].y()), tw(405), tw(195)),
                                    [this, i] { Picture1_Click(i); });
    Shape2 = new QWidget(position);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(tw(1020), tw(kDateBarTop), tw(525), tw(105));
    Option1[0] = makeButton<QRadioButton>(position, QStringLiteral("Option1_0"), QStringLiteral("Fixed Position"),
                                          QRect(146, 22, 140, 20));
    Option1[1] = makeButton<QRadioButton>(position, QStringLiteral("Option1_1"), kCycleCaption,
                                          QRect(146, 42, 140, 20));
    Check1[2] = makeButton<QCheckBox>(position, QStringLiteral("Check1_2"), QStringLiteral("Random Position"),
                                      QRect(162, 62, 124, 20));
    QGroupBox* datePlace = makeFrame(position, QStringLiteral("Date Position"), QRect(146, 88, 136, 104));
    Check1[5] = makeButton<QCheckBox>(datePlace, QStringLiteral("Check1_5"), QStringLiteral("Alternate"),
                                      QRect(8, 20, 120, 20));
    Option3[0] = makeButton<QRadioButton>(datePlace, QStringLiteral("Option3_0"), QStringLiteral("Top of Screen"),
                                          QRect(8, 46, 124, 20));
    Option3[1] = makeButton<QRadioButton>(datePlace, QStringLiteral("Option3_1"), QStringLiteral("Bottom of Screen"),
                                          QRect(8, 70, 124, 20));

    QGroupBox* interval = makeFrame(this, QStringLiteral("Time Multi Position Change"), QRect(8, 248, 290, 46));
    Option2[0] = makeButton<QRadioButton>(interval, QStringLiteral("Option2_0"), QStringLiteral("Each Minutes"),
                                          QRect(10, 20, 130, 20));
    Option2[1] = makeButton<QRadioButton>(interval, QStringLiteral("Option2_1"), QStringLiteral("Each 10 Minutes"),
                                          QRect(150, 20, 130, 20));

    QGroupBox* settings = makeFrame(this, QStringLiteral("Settings"), QRect(8, 300, 290, 148));
    Check1[1] = makeButton<QCheckBox>(settings, QStringLiteral("Check1_1"),
                                      QStringLiteral("Use Time Digits Default Color"), QRect(10, 18, 270, 20));
    Picture2 = new QWidget(settings);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setGeometry(10, 42, 80, 20);
    fill(Picture2, Qt::black);
    Label5 = makeLabel(Picture2, QStringLiteral("Label5"), QStringLiteral("00:00:00"), QRect(0, 0, 80, 20));
    Label5->setAlignment(Qt::AlignCenter);
    Label2 = makeLabel(settings, QStringLiteral("Label2"), QStringLiteral("Set Digits Default Color"),
                       QRect(98, 44, 180, 16));
    Image1 = new ClickArea(settings, QStringLiteral("Image1"), QRect(10, 42, 270, 20), [this] { Image1_Click(); });
    Check1[3] = makeButton<QCheckBox>(settings, QStringLiteral("Check1_3"), QStringLiteral("Display Date"),
                                      QRect(10, 68, 120, 20));
    Check1[4] = makeButton<QCheckBox>(settings, QStringLiteral("Check1_4"), QStringLiteral("Use Time Digits Color"),
                                      QRect(130, 68, 150, 20));
    Picture3 = new QWidget(settings);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture3->setGeometry(10, 92, 80, 20);
    fill(Picture3, Qt::black);
    Label1 = makeLabel(Picture3, QStringLiteral("Label1"), QStringLiteral("01 01 2003"), QRect(0, 0, 80, 20));
    Label1->setAlignment(Qt::AlignCenter);
    Label6 = makeLabel(settings, QStringLiteral("Label6"), QStringLiteral("Set Date Default Color"),
                       QRect(98, 94, 180, 16));
    Image2 = new ClickArea(settings, QStringLiteral("Image2"), QRect(10, 92, 270, 20), [this] { Image2_Click(); });
    Check1[0] = makeButton<QCheckBox>(settings, QStringLiteral("Check1_0"), QStringLiteral("Display Time Zones"),
                                      QRect(10, 118, 200, 20));

    Command2 = makeButton<QPushButton>(this, QStringLiteral("Command2"), QStringLiteral("&OK"),
                                       QRect(110, 456, 86, 26));

    // The design's values, before any handler is connected.
    Option1[0]->setChecked(true);
    Check1[2]->setEnabled(false);
    Check1[5]->setEnabled(false);
    Option3[0]->setChecked(true);
    Option3[0]->setEnabled(false);
    Option3[1]->setEnabled(false);
    Option2[1]->setChecked(true);
    Check1[1]->setChecked(true);
    Check1[0]->setEnabled(false);
}

// The design's widths suit a narrower font than most desktops use: the
// position column grows to hold its longest caption, and the window with it.
void SettingVN::fitPositionColumn()
{
    const QString shown = Option1[1]->text();
    Option1[1]->setText(kRandomCaption);
    const int lacking = Option1[1]->sizeHint().width() - Option1[1]->width();
    Option1[1]->setText(shown);
    if (lacking <= 0)
        return;
    const auto widen = [lacking](QWidget* w) { w->resize(w->width() + lacking, w->height()); };
    for (QWidget* w : {static_cast<QWidget*>(Option1[0]), static_cast<QWidget*>(Option1[1])})
        widen(w);
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != Command2)
            widen(w);
    Command2->move(Command2->x() + lacking / 2, Command2->y());
    setFixedSize(width() + lacking, height());
}

void SettingVN::connectHandlers()
{
    for (int i = 0; i < 6; ++i)
        connect(Check1[i], &QCheckBox::toggled, this, [this, i] { Check1_Click(i); });
    for (QRadioButton* option : Option1)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Option1_Click();
        });
    for (QRadioButton* option : Option2)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Option2_Click();
        });
    for (int i = 0; i < 2; ++i)
        connect(Option3[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option3_Click(i);
        });
    connect(Command2, &QPushButton::clicked, this, &SettingVN::Command2_Click);
}

int SettingVN::checkValue(int index) const { return Check1[index]->isChecked() ? 1 : 0; }

QColor SettingVN::buttonFace() const { return palette().color(QPalette::Button); }

void SettingVN::Form_Load()
{
    const QString version = platform::appVersionText();
    Label4->setText(InMainApp ? QStringLiteral("VN Version ") + version : QStringLiteral("Version ") + version);
    Timer3_Timer();
    VNFixedPos = SaverOptions::readBool(QStringLiteral("VNFixedPos"), true);
    AlternDate = SaverOptions::readBool(QStringLiteral("AlternDate"), false);
    if (!VNFixedPos)
        RandomPos = SaverOptions::readBool(QStringLiteral("RandomPos"), false);
    m_fixedPosition = SaverOptions::readNumber(QStringLiteral("DigitPos"), 1);
    DefaultColor = SaverOptions::readNumber(QStringLiteral("DefaultColor"), 1);
    Check1[1]->setChecked(DefaultColor == 1);
    m_digitColour = SaverOptions::readColour(QStringLiteral("DispColor")).value_or(SaverOptions::DefaultDigitColour);
    SetDigit();
    Minutes10 = SaverOptions::readBool(QStringLiteral("Minutes10"), true);
    DefaultColorDate = SaverOptions::readNumber(QStringLiteral("DefaultColorDate"), 1) == 1 ? 1 : 0;
    Check1[4]->setChecked(DefaultColorDate == 1);
    Check1_Click(4);
    Check1_Click(1);
    DispDate = SaverOptions::readBool(QStringLiteral("DispDate"), false);
    Check1[3]->setChecked(DispDate);
    Option3[0]->setEnabled(DispDate);
    Option3[1]->setEnabled(DispDate);
    DateTop = SaverOptions::readBool(QStringLiteral("DateTop"), true);
    Option3[DateTop ? 0 : 1]->setChecked(true);
    Check1_Click(3);
    SetPos();
    if (AlternDate)
        Check1[5]->setChecked(true);
    Timer1.setEnabled(true);
    m_title = QStringLiteral("Vantora Screen Saver") + QString(10, QLatin1Char(' '));
    m_typingPosition = 1;
}

void SettingVN::Check1_Click(int index)
{
    const bool checked = Check1[index]->isChecked();
    switch (index) {
    case 1:
        if (checked) {
            Label2->setVisible(false);
            m_digitColour = SaverOptions::DefaultDigitColour;
            setTextColour(Label5, m_digitColour);
            SaverOptions::writeText(QStringLiteral("DefaultColor"), QStringLiteral("1"));
        } else {
            Label2->setVisible(true);
            if (const auto stored = SaverOptions::readColour(QStringLiteral("DispColor")))
                m_digitColour = *stored;
            setTextColour(Label5, m_digitColour);
            SaverOptions::writeText(QStringLiteral("DefaultColor"), QStringLiteral("0"));
            SaverOptions::writeColour(QStringLiteral("DispColor"), m_digitColour);
        }
        DefaultColorDate = SaverOptions::readNumber(QStringLiteral("DefaultColorDate"), 1) == 1 ? 1 : 0;
        Check1[4]->setChecked(DefaultColorDate == 1);
        Check1_Click(4);
        SetDigit();
        break;
    case 2:
        RandomPos = checked;
        SaverOptions::writeBool(QStringLiteral("RandomPos"), RandomPos);
        Option1[1]->setText(checked ? kRandomCaption : kCycleCaption);
        break;
    case 3:
        DispDate = checked;
        Shape2->setVisible(checked);
        if (checked) {
            if (!AlternDate) {
                Option3[0]->setEnabled(true);
                Option3[1]->setEnabled(true);
            }
            Check1[5]->setEnabled(!VNFixedPos);
        } else {
            Option3[0]->setEnabled(false);
            Option3[1]->setEnabled(false);
            Check1[5]->setEnabled(false);
        }
        SaverOptions::writeBool(QStringLiteral("DispDate"), DispDate);
        Check1[4]->setEnabled(checked);
        break;
    case 4:
        if (checked) {
            m_dateColour = m_digitColour;
            SaverOptions::writeColour(QStringLiteral("DispColorDate"), m_dateColour);
            SaverOptions::writeText(QStringLiteral("DefaultColorDate"), QStringLiteral("1"));
            Label6->setVisible(false);
        } else {
            if (const auto stored = SaverOptions::readColour(QStringLiteral("DispColorDate")))
                m_dateColour = *stored;
            SaverOptions::writeColour(QStringLiteral("DispColorDate"), m_dateColour);
            SaverOptions::writeText(QStringLiteral("DefaultColorDate"), QStringLiteral("0"));
            Label6->setVisible(true);
        }
        SetDigitDate();
        break;
    case 5:
        AlternDate = checked;
        Option3[0]->setEnabled(!checked);
        Option3[1]->setEnabled(!checked);
        if (!checked)
            Shape2->move(Shape2->x(), tw(Option3[1]->isChecked() ? kDateBarBottom : kDateBarTop));
        SaverOptions::writeBool(QStringLiteral("AlternDate"), AlternDate);
        break;
    default: break;
    }
}

void SettingVN::Option1_Click()
{
    if (Option1[0]->isChecked()) {
        VNFixedPos = true;
        Check1[2]->setChecked(false);
        Check1[2]->setEnabled(false);
        Option2[0]->setEnabled(false);
        Option2[1]->setEnabled(false);
        if (DispDate) {
            Check1[5]->setChecked(false);
            Check1_Click(5);
        }
        Check1_Click(3);
        SaverOptions::writeBool(QStringLiteral("VNFixedPos"), true);
        Timer2.setEnabled(false);
        SetDigit();
    } else if (Option1[1]->isChecked()) {
        VNFixedPos = false;
        Check1[2]->setEnabled(true);
        Option2[0]->setEnabled(true);
        Option2[1]->setEnabled(true);
        Check1_Click(3);
        Option2[Minutes10 ? 1 : 0]->setChecked(true);
        SaverOptions::writeBool(QStringLiteral("VNFixedPos"), false);
        m_animationPosition = m_fixedPosition;
        Timer2.setEnabled(true);
    }
}

void SettingVN::SetPos()
{
    if (VNFixedPos) {
        Option1[0]->setChecked(true);
        Option1[1]->setChecked(false);
        Check1[2]->setChecked(false);
        Check1[2]->setEnabled(false);
        Option2[0]->setEnabled(false);
        Option2[1]->setEnabled(false);
        SetDigit();
        Timer2.setEnabled(false);
    } else {
        Option1[1]->setChecked(true);
        Option1[0]->setChecked(false);
        Check1[2]->setEnabled(true);
        Option2[0]->setEnabled(true);
        Option2[1]->setEnabled(true);
        Option2[Minutes10 ? 1 : 0]->setChecked(true);
        Check1[2]->setChecked(RandomPos);
        SetDigit();
        m_animationPosition = m_fixedPosition;
        Timer2.setEnabled(true);
    }
}

void SettingVN::Option2_Click()
{
    Minutes10 = !Option2[0]->isChecked();
    SaverOptions::writeBool(QStringLiteral("Minutes10"), Minutes10);
}

void SettingVN::Option3_Click(int index)
{
    if (index != 0 && index != 1)
        return;
    DateTop = index == 0;
    Shape2->move(Shape2->x(), tw(DateTop ? kDateBarTop : kDateBarBottom));
    SaverOptions::writeBool(QStringLiteral("DateTop"), DateTop);
}

void SettingVN::Picture1_Click(int index)
{
    if (Timer2.isEnabled())
        return;
    m_fixedPosition = index;
    SaverOptions::writeText(QStringLiteral("DigitPos"), QString::number(index));
    SetDigit();
}

// Positions outside the five boxes (a damaged DigitPos) light none.
void SettingVN::paintBox(double position, const QColor& colour)
{
    for (int i = 0; i < 5; ++i)
        if (position == i)
            fill(Picture1[static_cast<size_t>(i)], colour);
}

void SettingVN::SetDigit()
{
    for (int i = 0; i < 5; ++i)
        paintBox(i, buttonFace());
    paintBox(Timer2.isEnabled() ? m_animationPosition : m_fixedPosition, platform::fromBgr(m_digitColour));
}

void SettingVN::SetDigitDate()
{
    Shape2->setVisible(DispDate);
    Check1[3]->setChecked(DispDate);
    Check1[4]->setEnabled(DispDate);
    fill(Shape2, platform::fromBgr(m_dateColour));
    setTextColour(Label1, m_dateColour);
}

void SettingVN::Image1_Click()
{
    if (Check1[1]->isChecked())
        return;
    SetColor();
    SetDigit();
    Check1_Click(4);
}

void SettingVN::Image2_Click()
{
    if (Check1[4]->isChecked() || !Check1[3]->isChecked())
        return;
    SetColorDate();
    SetDigitDate();
    Check1_Click(4);
}

void SettingVN::SetColor()
{
    const auto chosen = platform::colorDialog().ShowColor(this, SaverOptions::readColour(QStringLiteral("DispColor")));
    if (!chosen)
        return;
    SaverOptions::writeColour(QStringLiteral("DispColor"), *chosen);
    m_digitColour = *chosen;
    setTextColour(Label5, m_digitColour);
}

void SettingVN::SetColorDate()
{
    const auto chosen = platform::colorDialog().ShowColor(this,
                                                          SaverOptions::readColour(QStringLiteral("DispColorDate")));
    if (!chosen)
        return;
    SaverOptions::writeColour(QStringLiteral("DispColorDate"), *chosen);
    m_dateColour = *chosen;
    setTextColour(Label1, m_dateColour);
    fill(Shape2, platform::fromBgr(m_dateColour));
}

void SettingVN::Command2_Click() { close(); }

void SettingVN::closeEvent(QCloseEvent* event)
{
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    Timer3.setEnabled(false);
    QWidget::closeEvent(event);
}

void SettingVN::Timer1_Timer()
{
    if (m_typingPosition == m_title.size()) {
        setWindowTitle(QString());
        m_typingPosition = 1;
    }
    setWindowTitle(windowTitle() + m_title.mid(m_typingPosition - 1, 1));
    ++m_typingPosition;
}

void SettingVN::Timer2_Timer()
{
    paintBox(m_animationPosition, buttonFace());
    if (RandomPos) {
        m_animationPosition = m_random.bounded(5);
    } else {
        m_animationPosition += 1;
        if (m_animationPosition > 4)
            m_animationPosition = 0;
    }
    paintBox(m_animationPosition, platform::fromBgr(m_digitColour));
    if (AlternDate)
        Shape2->move(Shape2->x(), Shape2->y() == tw(kDateBarBottom) ? tw(kDateBarTop) : tw(kDateBarBottom));
}

void SettingVN::Timer3_Timer()
{
    const QDateTime now = platform::clock().now();
    Label5->setText(platform::formatDateTime(now, QStringLiteral("hh:mm:ss")));
    Label1->setText(platform::formatDateTime(now, QStringLiteral("dd mm yyyy")));
}
