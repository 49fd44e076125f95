// The real message and input boxes show their prompts as plain text: a prompt
// may carry text from a file or a server.

#include "platform/base/dialogs.h"
#include "tests/support/testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `look` on the modal box once it is up, then lets `close` end it.
void whenTheBoxIsUp(const std::function<void(QWidget*)>& look)
{
    QTimer::singleShot(0, [look] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) {
            whenTheBoxIsUp(look);
            return;
        }
        look(box);
    });
}

} // namespace

class TestBoxes : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::setDialogs(&platform::screenDialogs()); }
    void cleanup() { platform::setDialogs(nullptr); }

    void aMessageBoxShowsMarkupAsText()
    {
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        whenTheBoxIsUp([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            format = box->textFormat();
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        const int answer = platform::dialogs().msgBox("<b>New</b> station <img src=x>", platform::mb::OkOnly,
                                                      "Vantora");
        QCOMPARE(answer, platform::mb::Ok);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, QString("<b>New</b> station <img src=x>"));
    }

    void anInputBoxShowsMarkupAsText()
    {
        QList<Qt::TextFormat> formats;
        QString label;
        whenTheBoxIsUp([&](QWidget* w) {
            auto* box = qobject_cast<QInputDialog*>(w);
            QVERIFY(box);
            label = box->labelText();
            for (QLabel* l : box->findChildren<QLabel*>())
                formats << l->textFormat();
            box->setTextValue("typed");
            box->accept();
        });
        const QString answer = platform::dialogs().inputBox("<i>Name</i>", "Vantora", "x");
        QCOMPARE(answer, QString("typed"));
        QCOMPARE(label, QString("<i>Name</i>"));
        QVERIFY(!formats.isEmpty());
        for (Qt::TextFormat f : formats)
            QCOMPARE(f, Qt::PlainText);
    }

    void aCancelledInputBoxAnswersEmpty()
    {
        whenTheBoxIsUp([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        QCOMPARE(platform::dialogs().inputBox("Prompt", "Vantora", "60"), QString());
    }
};

VANTORA_TEST_MAIN(TestBoxes)
#include "test_boxes.moc"
