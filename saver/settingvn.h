#pragma once

#include "platform/base/timer.h"

#include <QRandomGenerator>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The screensaver's settings: digit colour, date display and colour, date
// place, a fixed or moving clock, random or cyclic moves and their interval.
// Every change is stored in section "ScreenSaver" at once; there is no Cancel.
// A miniature screen previews the clock's place, its moves and the date bar.
//
// Setting a check box or option button from code runs its handler as a
// user's click does whenever the value changes: the window relies on that
// cascade (the handlers are connected to `toggled`).
class SettingVN : public QWidget {
    Q_OBJECT
public:
    explicit SettingVN(QWidget* parent = nullptr);
    ~SettingVN() override;

    void SetColor();
    void SetColorDate();
    void SetPos();
    void SetDigit();
    void SetDigitDate();

    void Check1_Click(int index);
    void Option1_Click();
    void Option2_Click();
    void Option3_Click(int index);
    void Picture1_Click(int index);
    // The digit row (Image1, Label2, Label5, Picture2) and the date row
    // (Image2, Label6, Label1, Picture3): the transparent click area covering
    // each row takes the clicks of the controls under it.
    void Image1_Click();
    void Image2_Click();
    void Command2_Click();

    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void fitPositionColumn();
    void connectHandlers();
    void Form_Load();
    void paintBox(double position, const QColor& colour);
    QColor buttonFace() const;
    int checkValue(int index) const;

    // ---- Window state ----
    bool VNFixedPos = true;
    bool RandomPos = false;
    bool Minutes10 = true;
    bool DispDate = false;
    bool DateTop = true;
    bool AlternDate = false;
    double m_fixedPosition = 1;
    double m_animationPosition = 1;
    double DefaultColor = 1;
    quint32 m_digitColour = 0xFFFF00;
    quint32 m_dateColour = 0xFFFF00;
    qint16 DefaultColorDate = 1;
    QString m_title;
    qint16 m_typingPosition = 1;
    QRandomGenerator m_random;

    // ---- Controls ----
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QWidget* Shape1 = nullptr;
    std::array<QWidget*, 5> Picture1{};
    QWidget* Shape2 = nullptr;
    std::array<QRadioButton*, 2> Option1{};
    std::array<QRadioButton*, 2> Option2{};
    std::array<QRadioButton*, 2> Option3{};
    std::array<QCheckBox*, 6> Check1{};
    QWidget* Picture2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QWidget* Image1 = nullptr;
    QWidget* Picture3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label6 = nullptr;
    QWidget* Image2 = nullptr;
    QPushButton* Command2 = nullptr;
    platform::Timer Timer1{250};
    platform::Timer Timer2{1000};
    platform::Timer Timer3{500};
};
