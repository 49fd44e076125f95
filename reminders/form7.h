#pragma once

#include "core/appstate.h"
#include "reminders/memofile.h"

#include <QDate>
#include <QPointer>
#include <QWidget>

#include <array>

class QAction;
class QCalendarWidget;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimeEdit;
class QToolBar;

// The reminder notice. One class for four uses, chosen by EnterMessa's mode:
// 1 enter a new reminder, 2 a reminder that has fallen due, 3 an automatic
// message, 4 a due reminder not yet answered, shown again at start-up. Every
// use is a new window; it deletes itself when closed.
class Form7 : public QWidget {
    Q_OBJECT
public:
    enum Mode : qint16 { NewReminder = 1, DueReminder = 2, AutomaticMessage = 3, PendingReminder = 4 };

    explicit Form7(HostLink host = {}, QWidget* parent = nullptr);
    ~Form7() override;

    // Configures and shows the window. Buttons 1-4 are Delete, Snooze, Add and
    // Cancel; But1-But4 enable them, But1Mess-But4Mess caption them. In modes
    // 2 and 4 the Fic values are the reminder the notice answers; in mode 2 it
    // is moved from the store to the pending notices first. Returns false (and
    // the window closes unseen) when that reminder is no longer stored.
    bool EnterMessa(qint16 MessID, const QString& Titr, qint16 MessType, const QString& Mess, bool But1, bool But2,
                    bool But3, bool But4, const QString& But1Mess, const QString& But2Mess, const QString& But3Mess,
                    const QString& But4Mess, const QDate& FicDateTemp, const QString& FicTimeTemp,
                    const QString& FicMemoTemp);

    qint16 mode() const { return m_messType; }
    qint16 messId() const { return m_messId; }
    // The reminder this window still answers for (modes 2 and 4, and a snoozed
    // one until its new reminder is stored or Cancel is pressed).
    bool holdsPending() const { return m_pending.held; }
    MemoRec pendingRecord() const { return m_pending.rec; }
    // Whether that reminder is still in the waiting store (it could not be moved).
    bool pendingInStore() const { return m_pending.held && m_pending.inMemo; }
    // Whether that reminder is in "VNTemp.log".
    bool pendingInTemp() const { return m_pending.held && m_pending.inTemp; }

    // The validation of a new reminder: colours the labels and enables Add.
    void CheckRemDT();
    // Toolbar button by key: "Strem", "Snrem", "Adrem", "Canrem".
    void Toolbar1_ButtonClick(const QString& key);
    // The current time "hh:mm:ss", given on every new second; a new reminder
    // is checked again against it.
    void showCurrentTime(const QString& time);
    // Alternates the small picture; called on every half second.
    void blink();

signals:
    // Emitted once when the window closes, whichever way.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Pending {
        bool held = false;
        MemoRec rec;
        bool inTemp = false; // in "VNTemp.log"
        bool inMemo = false; // still in "VNMemo.log"
        qint16 mode = 0;     // the notice's mode and title, for Cancel after Snooze
        QString title;
    };

    void buildControls();
    void Form_Activate();
    void showDateTimeSection(bool on);
    void applyNewReminderMode();
    void applyNoticeMode();
    void showMessage(const QString& text);
    void setButtons(const std::array<bool, 4>& enabled, const std::array<QString, 4>& captions);
    void returnToNotice();
    bool moveDueReminder();
    bool releasePending();
    void afterAnswer();
    void saveDefaultTimeIfChecked();
    void Check1_Click();
    void Text1_Change();
    void boldReminderDays();
    void showPickedDate();
    void showPickedTime();
    void showError(const QString& error, const QString& title);
    QString nowText() const;
    // The current time of a new reminder's window, once a second: the main
    // window's new seconds, or a clock of its own without a main window.

    HostLink m_host;
    qint16 m_messType = 0;
    qint16 m_messId = 0;
    Pending m_pending;
    bool DefTimeCurrent = true;
    QString DefDefaultTime = QStringLiteral("09:00:00");
    bool m_blink = false;
    bool m_closedSent = false;

    QToolBar* Toolbar1 = nullptr;
    std::array<QAction*, 4> m_buttons{};
    QPlainTextEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QWidget* Frame1 = nullptr; // the date and time section
    QCalendarWidget* Calendar1 = nullptr;
    QTimeEdit* DTPicker1 = nullptr;
    QCheckBox* Check1 = nullptr;
    std::array<QLabel*, 3> Label1{};
    QLabel* Label2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
};

// The title of a due reminder's notice: "Reminder - 12/10/2026 (09:00:00)".
QString reminderTitle(const MemoRec& rec);
