#include "radio/playerview.h"

#include "platform/media/mediaplayer.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString clockText(double seconds)
{
    const int s = std::max(0, int(seconds));
    return QStringLiteral("%1:%2").arg(s / 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString stateText(qint32 state)
{
    switch (state) {
    case platform::MediaPlayer::Playing: return QStringLiteral("Playing");
    case platform::MediaPlayer::Waiting: return QStringLiteral("Connecting");
    case platform::MediaPlayer::Paused: return QStringLiteral("Paused");
    case platform::MediaPlayer::Stopped: return QStringLiteral("Stopped");
    default: return QStringLiteral("Ready");
    }
}

} // namespace

PlayerView::PlayerView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MediaPlayer1"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
    setPalette(pal);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);

    // The video surface becomes a native window for the video output: alone
    // in its box and without native ancestors, it is the only one, so the
    // rest of the radio window paints as one window.
    auto* videoBox = new QWidget(this);
    auto* boxLayout = new QVBoxLayout(videoBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    m_video = new QWidget(videoBox);
    m_video->setObjectName(QStringLiteral("videoSurface"));
    m_video->setAutoFillBackground(true);
    m_video->setAttribute(Qt::WA_DontCreateNativeAncestors);
    boxLayout->addWidget(m_video);
    layout->addWidget(videoBox, 1);

    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("infoPanel"));
    m_info->setWordWrap(true);
    layout->addWidget(m_info);

    m_tracker = new QSlider(Qt::Horizontal, this);
    m_tracker->setObjectName(QStringLiteral("tracker"));
    m_tracker->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_tracker);
    connect(m_tracker, &QSlider::sliderPressed, this, [this] { m_seeking = true; });
    connect(m_tracker, &QSlider::sliderReleased, this, [this] {
        m_seeking = false;
        if (m_player)
            m_player->setCurrentPosition(m_tracker->value());
    });

    m_controls = new QWidget(this);
    m_controls->setObjectName(QStringLiteral("controlBar"));
    auto* bar = new QHBoxLayout(m_controls);
    bar->setContentsMargins(4, 0, 4, 0);
    auto* volumeLabel = new QLabel(QStringLiteral("Volume"), m_controls);
    bar->addWidget(volumeLabel);
    m_volume = new QSlider(Qt::Horizontal, m_controls);
    m_volume->setObjectName(QStringLiteral("volumeSlider"));
    m_volume->setRange(0, 100);
    m_volume->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(m_volume, 1);
    layout->addWidget(m_controls);
    connect(m_volume, &QSlider::valueChanged, this, [this](int value) {
        if (m_player && sliderValue(m_player->Volume()) != value)
            m_player->setVolume(sliderVolume(value));
    });

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLine"));
    layout->addWidget(m_status);

    applyDisplay();
}

void PlayerView::setPlayer(platform::MediaPlayer* player)
{
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (m_player)
        connect(m_player, &platform::MediaPlayer::displayChanged, this, &PlayerView::applyDisplay);
    applyDisplay();
    refresh();
}

int PlayerView::sliderValue(qint32 volume) { return platform::volumeToVlcPercent(volume); }

qint32 PlayerView::sliderVolume(int value) { return platform::vlcPercentToVolume(value); }

void PlayerView::stepVolume(int steps)
{
    if (!m_player)
        return;
    const int value = std::clamp(sliderValue(m_player->Volume()) + steps * VolumeStep, 0, 100);
    m_player->setVolume(sliderVolume(value));
    showVolume();
}

void PlayerView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        stepVolume(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlayerView::applyDisplay()
{
    const bool present = m_player != nullptr;
    setVisible(present && m_player->Visible());
    setEnabled(present && m_player->Enabled());
    setToolTip(present ? m_player->ToolTipText() : QString());
    m_video->setToolTip(toolTip());
    m_controls->setVisible(present && m_player->ShowControls());
    m_info->setVisible(present && m_player->ShowDisplay());
    m_status->setVisible(present && m_player->ShowStatusBar());
    m_tracker->setVisible(present && m_player->ShowTracker());
}

void PlayerView::showVolume()
{
    const QSignalBlocker block(m_volume);
    m_volume->setValue(m_player ? sliderValue(m_player->Volume()) : 0);
}

void PlayerView::refresh()
{
    if (!m_player)
        return;
    showVolume();
    const double length = m_player->Duration();
    const double position = m_player->CurrentPosition();
    if (!m_seeking && m_tracker->isVisible()) {
        const QSignalBlocker block(m_tracker);
        m_tracker->setEnabled(length > 0);
        m_tracker->setRange(0, std::max(0, int(length)));
        m_tracker->setValue(int(position));
    }
    if (m_info->isVisible()) {
        QStringList lines;
        for (qint32 item : {platform::MediaPlayer::InfoTitle, platform::MediaPlayer::InfoAuthor,
                            platform::MediaPlayer::InfoNowPlaying, platform::MediaPlayer::InfoCopyright}) {
            const QString text = m_player->GetMediaInfoString(item);
            if (!text.isEmpty() && !lines.contains(text))
                lines << text;
        }
        m_info->setText(lines.join(QLatin1Char('\n')));
    }
    if (m_status->isVisible()) {
        QString text = stateText(m_player->PlayState());
        if (m_player->PlayState() == platform::MediaPlayer::Playing)
            text += QStringLiteral("  ") + clockText(position)
                + (length > 0 ? QStringLiteral(" / ") + clockText(length) : QString());
        m_status->setText(text);
    }
}
