#include "mainwindow/form2.h"

#include "mainwindow/form1.h"
#include "mainwindow/infowindows.h"
#include "platform/base/appinfo.h"
#include "platform/base/clock.h"
#include "platform/controls/dialogkeys.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

using infowindows::kTwipsPerPixel;

constexpr int kWidth = 4500 / kTwipsPerPixel;
constexpr int kHeight = 2685 / kTwipsPerPixel;
constexpr quint32 kTimeColour = 0xFFFFC0;

} // namespace

QPixmap drawAboutPicture()
{
    QPixmap picture(kWidth, kHeight);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(0x10, 0x18, 0x30));
    sky.setColorAt(1, QColor(0x00, 0x00, 0x00));
    p.fillRect(picture.rect(), sky);

    // A row of unlit and lit segments under the title, as on the clock.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 14; ++i) {
        p.setBrush(i % 3 == 0 ? QColor(0x00, 0xFF, 0xFF) : QColor(0x40, 0x40, 0x40));
        p.drawRoundedRect(QRectF(24 + i * 18, 96, 14, 4), 2, 2);
    }

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0x00, 0xFF, 0xFF));
    p.drawText(QRect(0, 30, kWidth, 56), Qt::AlignCenter, QStringLiteral("Vantora"));

    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(12);
    p.setFont(small);
    p.setPen(QColor(0xC0, 0xC0, 0xC0));
    p.drawText(QRect(0, 108, kWidth, 18), Qt::AlignCenter,
               QStringLiteral("LED desktop clock - version ") + platform::appVersionText());
    p.drawText(QRect(0, 126, kWidth, 18), Qt::AlignCenter, QStringLiteral("Orvane's Applications"));
    return picture;
}

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("Form2"));
    setFixedSize(kWidth, kHeight);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, kWidth, kHeight);
    Image1->setPixmap(drawAboutPicture());
    Image1->setToolTip(QStringLiteral("Click to Close"));
    Image1->installEventFilter(this);
    Label1_0 = infowindows::makeLabel(this, QStringLiteral("Label1_0"), kTimeColour, 9);
    Label1_0->setGeometry(60 / kTwipsPerPixel, 2445 / kTwipsPerPixel, 900 / kTwipsPerPixel + 20, 210 / kTwipsPerPixel);
    Label1_0->setAttribute(Qt::WA_TranslucentBackground);
    Label1_0->setText(QStringLiteral("00:00:00"));
    Label1_0->installEventFilter(this);
    platform::DialogKeys::install(this);
    infowindows::centre(this);
}

QString Form2::mainTimeText() const
{
    return m_main ? m_main->NowTime.toString(QStringLiteral("HH:mm:ss")) : QString();
}

void Form2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_main && !m_secondFeed)
        m_secondFeed = connect(m_main, &Form1::secondShown, this, &Form2::Timer1_Timer);
    Form_Activate();
}

void Form2::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // A hidden window has nothing to refresh: no wake-ups while it is away.
    if (!isVisible()) {
        disconnect(m_secondFeed);
        m_secondFeed = {};
    }
}

void Form2::Form_Activate()
{
    platform::doEvents();
    setWindowTitle(QStringLiteral("Vantora - v ") + platform::appVersionText());
    Label1_0->setText(mainTimeText());
    infowindows::applyOnTop(this, m_main);
}

void Form2::Timer1_Timer()
{
    const QString now = mainTimeText();
    if (now != m_lastShown)
        Label1_0->setText(now);
    m_lastShown = Label1_0->text();
}

void Form2::Image1_Click() { hide(); }

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    // The time label lies on the picture: a click on it is a click on the picture.
    if ((watched == Image1 || watched == Label1_0) && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Image1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
