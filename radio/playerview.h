#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QSlider;

namespace platform {
class MediaPlayer;
}

// The media player control's own face in the radio window: the video area, the
// information panel, the position slider, the control bar with its volume slider
// and the status line. Which of them show follows the player's display parts;
// the view follows the player's Visible, Enabled and ToolTipText as well.
// Up and Down change the volume while the view has the focus.
class PlayerView : public QWidget {
    Q_OBJECT
public:
    explicit PlayerView(QWidget* parent = nullptr);

    // The player shown; nullptr while the radio window is unloaded.
    void setPlayer(platform::MediaPlayer* player);
    // Refreshes the position, the information panel and the status line (polled
    // by the radio window while it is loaded).
    void refresh();
    // The window video is drawn into (a native window on X11).
    QWidget* videoSurface() const { return m_video; }

    // The volume slider's scale: percent of libVLC's perceptual volume, so its 0
    // is silence (-10000).
    static int sliderValue(qint32 volume);
    static qint32 sliderVolume(int value);
    // One press of Up or Down moves the slider this many steps.
    static constexpr int VolumeStep = 5;
    void stepVolume(int steps);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyDisplay();
    void showVolume();

    QPointer<platform::MediaPlayer> m_player;
    QWidget* m_video = nullptr;
    QLabel* m_info = nullptr;
    QSlider* m_tracker = nullptr;
    QWidget* m_controls = nullptr;
    QSlider* m_volume = nullptr;
    QLabel* m_status = nullptr;
    bool m_seeking = false;
};
