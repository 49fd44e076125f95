#include "radio/form5.h"

#include "core/sysmod.h"
#include "platform/base/appinfo.h"
#include "platform/base/modal.h"
#include "platform/base/twips.h"
#include "platform/controls/dialogkeys.h"
#include "platform/media/mediaplayer.h"
#include "compat/vb/conversions.h"
#include "platform/settings/settings.h"
#include "radio/radio.h"
#include "core/windowplace.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>

namespace {

using platform::kTwipsPerPixel;
constexpr int kWidth = 4425 / kTwipsPerPixel;
constexpr int kHeight = 3000 / kTwipsPerPixel;
const QString kClickToClose = QStringLiteral("Click to Close");

const std::array<const char*, 7> kCaptions{"Broadcast",    "Buffer Time",       "Bandwidth", "Received Packets",
                                           "Lost Packets", "Recovered Packets", "URL"};

} // namespace

Form5::Form5(Radio& radio, AppHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), m_radio(&radio), m_host(host)
{
    setObjectName(QStringLiteral("Form5"));
    setFixedSize(kWidth, kHeight);
    platform::DialogKeys::install(this);
    Frame1 = new QGroupBox(QStringLiteral("Connection"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(4, 2, kWidth - 8, kHeight - 6);
    Frame1->setToolTip(kClickToClose);
    for (int row = 0; row < 7; ++row) {
        const int y = 18 + row * 17;
        Label1[static_cast<size_t>(row)] = new QLabel(QString::fromLatin1(kCaptions[static_cast<size_t>(row)]), Frame1);
        Label1[static_cast<size_t>(row)]->setObjectName(QStringLiteral("Label1_%1").arg(row));
        Label1[static_cast<size_t>(row)]->setGeometry(8, y, 124, 16);
        Label2[static_cast<size_t>(row)] = new QLabel(Frame1);
        Label2[static_cast<size_t>(row)]->setObjectName(QStringLiteral("Label2_%1").arg(row));
        Label2[static_cast<size_t>(row)]->setGeometry(134, y, kWidth - 150, 16);
    }
    auto* left = new QLabel(QStringLiteral("0%"), Frame1);
    left->setGeometry(8, 140, 24, 16);
    ProgressBar1 = new QProgressBar(Frame1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(32, 142, kWidth - 84, 12);
    auto* right = new QLabel(QStringLiteral("100%"), Frame1);
    right->setGeometry(kWidth - 50, 140, 36, 16);
    Label1[7] = left;
    Label1[8] = right;
    Label1[9] = new QLabel(QStringLiteral("Reception Quality"), Frame1);
    Label1[9]->setGeometry(8, 160, 120, 16);
    Label1[10] = new QLabel(QStringLiteral("100%"), Frame1);
    Label1[10]->setObjectName(QStringLiteral("Label1_10"));
    Label1[10]->setGeometry(130, 160, 60, 16);

    setMouseTracking(true);
    for (QWidget* w : findChildren<QWidget*>()) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    connect(&Timer1, &platform::Timer::timeout, this, &Form5::Timer1_Timer);
    Form_Load();
}

Form5::~Form5()
{
    Timer1.setEnabled(false);
    SavPos4();
}

void Form5::Form_Load()
{
    setWindowTitle(QStringLiteral("Vantora Radio - Broadcast Status - v ") + platform::appVersionText());
    placeAndShowURL();
    Timer1.setEnabled(true);
}

void Form5::placeAndShowURL()
{
    move(windowplace::stored(QStringLiteral("Left4"), QStringLiteral("Right4"), size()));
    const QString url = m_host ? m_host->state().RaURL : QString();
    Label2[6]->setText(url);
    Label2[6]->setToolTip(url);
    Label1[6]->setToolTip(url);
}

void Form5::Form_Activate()
{
    placeAndShowURL();
    if (m_host && m_host->state().Form1OnTop)
        SetOnTop(this, -1);
}

void Form5::showModal()
{
    Form_Activate();
    platform::modalWindows().runModal(this);
}

void Form5::closeF() { hide(); }

void Form5::SavPos4() { windowplace::store(this, QStringLiteral("Left4"), QStringLiteral("Right4")); }

void Form5::Timer1_Timer()
{
    platform::MediaPlayer* player = m_radio ? m_radio->player() : nullptr;
    if (!player)
        return;
    ProgressBar1->setValue(std::clamp<qint32>(player->ReceptionQuality(), 0, 100));
    Label2[0]->setText(platform::boolText(player->IsBroadcast()));
    Label2[1]->setText(platform::doubleText(player->BufferingTime()));
    Label2[2]->setText(platform::intText(player->Bandwidth()) + QStringLiteral(" bits/sec"));
    Label2[3]->setText(platform::intText(player->ReceivedPackets()));
    Label2[4]->setText(platform::intText(player->LostPackets()));
    Label2[5]->setText(platform::intText(player->RecoveredPackets()));
    Label1[10]->setText(platform::intText(ProgressBar1->value()) + QStringLiteral("%"));
}

QString Form5::value(int row) const
{
    return row >= 0 && row < 7 ? Label2[static_cast<size_t>(row)]->text() : QString();
}

QString Form5::qualityText() const { return Label1[10]->text(); }

int Form5::progressValue() const { return ProgressBar1->value(); }

bool Form5::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        closeF();
        return true;
    }
    if (event->type() == QEvent::MouseMove) {
        if (watched == ProgressBar1) {
            ProgressBar1->setToolTip(QStringLiteral("Reception Quality: %1 %").arg(ProgressBar1->value()));
        } else if (watched != Label1[6] && watched != Label2[6]) {
            if (watched != Frame1)
                static_cast<QWidget*>(watched)->setToolTip(kClickToClose);
            SavPos4();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form5::mousePressEvent(QMouseEvent* event)
{
    closeF();
    QWidget::mousePressEvent(event);
}

void Form5::mouseMoveEvent(QMouseEvent* event)
{
    SavPos4();
    QWidget::mouseMoveEvent(event);
}
