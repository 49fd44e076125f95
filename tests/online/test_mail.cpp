#include "mainwindow/appwindows.h"
#include "mainwindow/form1.h"
#include "online/frmmail.h"
#include "platform/online/mailclient.h"
#include "platform/online/mailto.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/support/doubles/recordingmailclient.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::Form1Fixture;

// The user's mail program is a recorder named by MAILER, reached through the
// real xdg-email.
class TestMail : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Form1Fixture> m_fx;
    QTemporaryDir m_dir;

    frmMail& window() { return appWindows().mailWindow(); }
    QString recordFile() const { return m_dir.filePath("mail.txt"); }
    QString recorder() const { return m_dir.filePath("recorder.sh"); }

    void useMailer(const QString& command) { qputenv("MAILER", command.toUtf8()); }

    void send()
    {
        QTest::mouseClick(window().findChild<QPushButton*>("Command1"), Qt::LeftButton);
        m_fx->clock().advance(3000); // the seven steps
    }

    QString recordedUri()
    {
        QFile f(recordFile());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll());
    }

private slots:
    void initTestCase()
    {
        QFile script(recorder());
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > '" + recordFile().toUtf8() + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void init()
    {
        m_fx = std::make_unique<Form1Fixture>();
        m_fx->loadForm1();
        QFile::remove(recordFile());
        useMailer(recorder());
    }

    void cleanup()
    {
        appWindows().unloadAll();
        m_fx.reset();
        qunsetenv("MAILER");
    }

    void eachKindIsPrepared_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("message");
        QTest::newRow("links") << 1 << "Vantora mail - Send new Radio URL"
                               << "VN - New Radio URL"
                               << "Radio Name: \nRadio URL: \n\nComments: \n";
        QTest::newRow("comments") << 2 << "Vantora mail - Send Comments/Questions"
                                  << "VN - User Comments/Questions"
                                  << "Comments: \n";
        QTest::newRow("bugs") << 3 << "Vantora mail - Send found bug(s)"
                              << "VN - By users found bug(s)"
                              << "Please, describe as much as possible the bug you found\n"
                                 "as well than the eventual error message\n"
                                 "and a clear description on how to reproduce it.\n"
                                 "Thank you very much for your participation in debugging.\n\nBug(s): \n";
    }
    void eachKindIsPrepared()
    {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QString, subject);
        QFETCH(QString, message);
        m_fx->trigger(QString("SendLinks_%1").arg(kind));
        QVERIFY(window().isVisible());
        QCOMPARE(window().windowTitle(), caption);
        QCOMPARE(window().findChild<QLineEdit*>("Text2")->text(), subject);
        QCOMPARE(window().findChild<QPlainTextEdit*>("Text3")->toPlainText(), message);
        send();
        const platform::MailtoParts parts = platform::parseMailto(recordedUri());
        QVERIFY2(parts.ok, qPrintable(recordedUri()));
        QCOMPARE(parts.to, platform::feedbackAddress());
        QCOMPARE(parts.subject, subject);
        QCOMPARE(parts.body, platform::withCrLf(message));
        QCOMPARE(m_fx->dialogs().shown().value(0).prompt,
                 QString("Your E-mail has been sent.\r\nThank you very much."));
        QCOMPARE(m_fx->dialogs().shown().value(0).title, QString("Vantora"));
        QVERIFY(!window().isVisible());
    }

    void awkwardTextArrivesIntact()
    {
        m_fx->trigger("SendLinks_2");
        const QString text = QString::fromUtf8(
            "& = # + % ? \\ \xC3\xA9 \\c $(id) `id` 'q' \"dq\"\nsecond line&body=x\n");
        window().findChild<QPlainTextEdit*>("Text3")->setPlainText(text);
        window().findChild<QLineEdit*>("Text2")->setText("Subject & = ?");
        send();
        const platform::MailtoParts parts = platform::parseMailto(recordedUri());
        QVERIFY2(parts.ok, qPrintable(recordedUri()));
        QCOMPARE(parts.body, platform::withCrLf(text));
        QCOMPARE(parts.subject, QString("Subject & = ?"));
    }

    void tooLongATextIsRefused()
    {
        m_fx->trigger("SendLinks_2");
        window().findChild<QPlainTextEdit*>("Text3")->setPlainText(QString(200 * 1024, 'x'));
        send();
        QVERIFY(!QFile::exists(recordFile()));
        QVERIFY(m_fx->dialogs().shown().value(0).prompt.contains("too long"));
        QVERIFY(window().isVisible());
        QCOMPARE(window().findChild<QPlainTextEdit*>("Text3")->toPlainText().size(), 200 * 1024);
    }

    void aFailingClientKeepsTheText()
    {
        useMailer("false");
        m_fx->trigger("SendLinks_3");
        window().findChild<QPlainTextEdit*>("Text3")->setPlainText("my bug report");
        send();
        QCOMPARE(m_fx->dialogs().messageCount(), 1);
        QVERIFY(!m_fx->dialogs().shown()[0].prompt.contains("has been sent"));
        QVERIFY(window().isVisible());
        QCOMPARE(window().findChild<QPlainTextEdit*>("Text3")->toPlainText(), QString("my bug report"));
    }

    void sendingTwiceStartsAgain()
    {
        platform::RecordingMailClient client;
        platform::setMailClient(&client);
        m_fx->trigger("SendLinks_2");
        QTest::mouseClick(window().findChild<QPushButton*>("Command1"), Qt::LeftButton);
        m_fx->clock().advance(1000);
        QVERIFY(window().step() > 0);
        window().findChild<QPlainTextEdit*>("Text3")->setPlainText("edited");
        QTest::mouseClick(window().findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCOMPARE(window().step(), 0);
        m_fx->clock().advance(3000);
        platform::setMailClient(nullptr);
        QCOMPARE(client.uris().size(), 1);
        QCOMPARE(platform::parseMailto(client.uris()[0]).body, QString("edited"));
    }

    void clearAndCancel()
    {
        m_fx->trigger("SendLinks_1");
        QTest::mouseClick(window().findChild<QPushButton*>("Command2"), Qt::LeftButton);
        QCOMPARE(window().findChild<QPlainTextEdit*>("Text3")->toPlainText(), QString());
        QTest::mouseClick(window().findChild<QPushButton*>("Command3"), Qt::LeftButton);
        QVERIFY(!window().isVisible());
        m_fx->clock().advance(3000);
        QVERIFY(!QFile::exists(recordFile()));
    }
};

VANTORA_TEST_MAIN(TestMail)
#include "test_mail.moc"
