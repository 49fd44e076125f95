#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class Form1;
class QLabel;

// The About window: one picture filling the window, the program's name and
// version in the title bar and the main window's time in the lower left
// corner. A click on the picture hides it.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    // The main window whose time and keep-on-top choice the window follows.
    void setMainWindow(Form1* main) { m_main = main; }

    QLabel* picture() const { return Image1; }
    QLabel* timeLabel() const { return Label1_0; }
    bool isTimerRunning() const { return static_cast<bool>(m_secondFeed); }

    void Image1_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Activate();
    void Timer1_Timer();
    QString mainTimeText() const;

    QPointer<Form1> m_main;
    QLabel* Image1 = nullptr;
    QLabel* Label1_0 = nullptr;
    QString m_lastShown;
    // The main window's new seconds, followed only while the window is shown.
    QMetaObject::Connection m_secondFeed;
};

// The About picture, 300 x 179 pixels.
QPixmap drawAboutPicture();
