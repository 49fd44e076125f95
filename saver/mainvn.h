#pragma once

#include "platform/base/timer.h"

#include <QRandomGenerator>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;

namespace platform {
class LedDigit;
}

// The full-screen LED clock: six digits with their dots on a black panel that
// moves between five places on the screen, and the date line at the top or the
// bottom. Any key, mouse button or mouse movement ends it through the end
// routine of the program that shows it.
class MainVN : public QWidget {
    Q_OBJECT
public:
    using EndRoutine = std::function<void()>;

    explicit MainVN(EndRoutine endRoutine, QWidget* parent = nullptr);
    ~MainVN() override;

    // Draws into an area of this size instead of the whole screen (a window of
    // another program that hosts the clock); such a clock takes no input and
    // leaves the cursor alone. An empty size means the primary screen.
    void setHostArea(const QSize& size);
    bool isHosted() const { return m_hostArea.isValid(); }

    // Reads the options, places the clock and shows the window.
    void Form_Load();
    // Hides the window and stops its timer. The window keeps its fields (the
    // position, the recorded pointer, the options) for the next showing.
    void Unload();

    void AffHeur();
    void AffDate();
    void MovDate();
    void DigPos();
    void PosRandTrue();
    void PosRandFalse();
    void DigCouleur();
    void PosVN();

    // The size the layout is computed for.
    QSize screenArea() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    int px(double twips) const;
    int dateTopY() const;
    int dateBottomY() const;
    void Timer1_Timer();
    void endShow();

    EndRoutine m_endRoutine;
    QSize m_hostArea;
    double m_scale = 1.0;
    bool m_ending = false;

    // ---- Fields kept from one showing to the next ----
    std::array<QString, 7> m_newDigits;
    std::array<QString, 7> m_shownDigits;
    std::optional<double> m_position; // empty before the first placement
    double m_fixedPosition = 1;
    bool VNFixedPos = false;
    bool RandomPos = false;
    bool Minutes10 = false;
    bool DispDate = false;
    bool DateTop = false;
    bool AlternDate = false;
    quint32 m_digitColour = 0xFFFF00;
    quint32 m_dateColour = 0xFFFF00;
    // The first pointer position seen, against which later moves are compared.
    std::optional<std::pair<float, qint32>> m_recordedMouse;
    QString m_loadTime;
    QRandomGenerator m_random;

    // ---- Controls ----
    QWidget* Picture1 = nullptr;
    std::array<platform::LedDigit*, 6> LED1{};
    std::array<QWidget*, 4> Shape1{};
    QWidget* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    platform::Timer Timer1{250};
};
