#include "platform/base/application.h"
#include "tests/support/testenv.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <stdexcept>

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void anErrorInAnEventHandlerEndsOnlyThatHandler()
    {
        int after = 0;
        QTimer::singleShot(0, [] { throw std::runtime_error("damaged value"); });
        QTimer::singleShot(10, [&] { ++after; });
        QTRY_COMPARE(after, 1);

        QPushButton button("Go");
        int clicks = 0;
        connect(&button, &QPushButton::clicked, [&] {
            ++clicks;
            throw std::runtime_error("failing command");
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 2);
    }
};

int main(int argc, char** argv)
{
    testsupport::environment();
    platform::Application app(argc, argv);
    TestApplication tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "test_application.moc"
