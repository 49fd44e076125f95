#pragma once

#include "core/appstate.h"
#include "platform/base/timer.h"

#include <QPointer>
#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QProgressBar;
class Radio;

// The broadcast status window: live statistics of what the radio window plays,
// refreshed every 25 ms while it is loaded (also while hidden). It belongs to
// the radio window and is unloaded with it, so it reads the player only while
// the radio window is loaded. A click anywhere hides it; it remembers its place.
class Form5 : public QWidget {
    Q_OBJECT
public:
    Form5(Radio& radio, AppHost& host, QWidget* parent = nullptr);
    ~Form5() override;

    // Shows the window modally; returns when it is hidden or unloaded.
    void showModal();
    void closeF();
    void SavPos4();

    bool isLoaded() const { return Timer1.isEnabled(); }
    // The value shown in row 0 to 6, and the quality line "NN%".
    QString value(int row) const;
    QString qualityText() const;
    int progressValue() const;
    void Timer1_Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void placeAndShowURL();

    QPointer<Radio> m_radio;
    HostLink m_host;
    QGroupBox* Frame1 = nullptr;
    std::array<QLabel*, 11> Label1{};
    std::array<QLabel*, 7> Label2{};
    QProgressBar* ProgressBar1 = nullptr;
    platform::Timer Timer1{25};
};
