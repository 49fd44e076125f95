#include "core/windowplace.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace {

const QSize kWindow(300, 200);

QPoint middle()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {screen.x() + (screen.width() - kWindow.width()) / 2, screen.y() + (screen.height() - kWindow.height()) / 2};
}

} // namespace

// Every remembered window reads its place by one rule: stored twips, a missing
// coordinate centred, damage or a place off every screen centred as a whole.
class TestWindowPlace : public QObject {
    Q_OBJECT

private slots:
    void init() { platform::deleteSetting(platform::kOptions); }

    void theStoredPlaceIsRead_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QPoint>("expected");
        const QPoint c = middle();
        const auto row = [](const char* name, const QString& left, const QString& top, QPoint expected) {
            QTest::newRow(name) << left << top << expected;
        };
        row("stored", "1500", "750", QPoint(100, 50));
        row("fraction rounds", "1507.5", "22", QPoint(101, 1));
        row("both missing", QString(), QString(), c);
        row("left missing", QString(), "750", QPoint(c.x(), 50));
        row("top empty", "1500", "", QPoint(100, c.y()));
        row("not a number", "abc", "750", c);
        row("beyond a single", "1e40", "750", c);
        row("far left", "-99999", "750", c);
        row("below every screen", "300", "900000", c);
    }
    void theStoredPlaceIsRead()
    {
        QFETCH(QString, left);
        QFETCH(QString, top);
        QFETCH(QPoint, expected);
        if (!left.isNull())
            platform::saveSetting(platform::kOptions, QStringLiteral("Left9"), left);
        if (!top.isNull())
            platform::saveSetting(platform::kOptions, QStringLiteral("Right9"), top);
        QCOMPARE(windowplace::stored(QStringLiteral("Left9"), QStringLiteral("Right9"), kWindow), expected);
    }

    void aStoredPlaceReadsBackAsItWas()
    {
        QWidget w;
        w.move(37, 81);
        windowplace::store(&w, QStringLiteral("Left9"), QStringLiteral("Right9"));
        QCOMPARE(platform::getSetting(platform::kOptions, QStringLiteral("Left9")), QStringLiteral("555"));
        QCOMPARE(platform::getSetting(platform::kOptions, QStringLiteral("Right9")), QStringLiteral("1215"));
        QCOMPARE(windowplace::stored(QStringLiteral("Left9"), QStringLiteral("Right9"), kWindow), QPoint(37, 81));
    }
};

VANTORA_TEST_MAIN(TestWindowPlace)
#include "test_windowplace.moc"
