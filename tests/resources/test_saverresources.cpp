#include "resources/resourceids.h"
#include "resources/resources.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QTest>

// The screensaver's library: pictures only, and above all not the
// screensaver program itself.
class TestSaverResources : public QObject {
    Q_OBJECT
private slots:
    void carriesThePictures()
    {
        QCOMPARE(platform::loadBitmap(resid::BmpColonLit).size(), QSize(8, 39));
        QVERIFY(!platform::loadBitmap(resid::BmpProgramIcon32).isNull());
    }

    void carriesNoFilesOfTheMainProgram_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("screensaver program") << resid::SaverProgram;
        QTest::newRow("help archive") << resid::HelpArchive;
        QTest::newRow("alarm 1") << resid::SoundAlarm1;
    }
    void carriesNoFilesOfTheMainProgram()
    {
        QFETCH(int, id);
        QVERIFY(platform::loadResource(QString::fromLatin1(resid::TypeCustom), id).isEmpty());
    }
};

VANTORA_TEST_MAIN(TestSaverResources)
#include "test_saverresources.moc"
