#pragma once

#include "core/appstate.h"
#include "platform/base/timer.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// One of three prepared feedback mails (a new station, comments, a bug report),
// edited by the user and handed to the user's mail program.
class frmMail : public QWidget {
    Q_OBJECT
public:
    explicit frmMail(QWidget* parent = nullptr);
    ~frmMail() override;

    void setHost(AppHost* host) { m_host = host; }

    // Fills the window for kind 1 to 3; any other kind changes nothing.
    void StartMailSend(int kind);
    void Command1_Click(); // Send E-mail
    void Command2_Click(); // Clear Message
    void Command3_Click(); // Cancel
    void MailTo(const QString& recipient, const QString& message);
    bool MapiLogon();
    void Timer1_Timer();

    int step() const { return m_step; }
    platform::Timer& timer1() { return Timer1; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();
    void unload();
    void send();

    HostLink m_host;
    QString m_recipient;
    QString m_message;
    QString m_pendingTo;
    QString m_pendingSubject;
    QString m_pendingBody;
    qint16 m_step = 0;
    bool m_signedOn = false;

    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPlainTextEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    platform::Timer Timer1{250};
};
