#include "mainwindow/form1.h"
#include "mainwindow/progressbar.h"
#include "tests/info/infofixture.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>

using testsupport::InfoFixture;

namespace {

// The blocks lit in a bar picture: columns of the segment colour at each block's place.
int litBlocks(const QPixmap& bar, int segmentWidth)
{
    const QImage image = bar.toImage();
    int lit = 0;
    for (int i = 0;; ++i) {
        const int x = progressBlockX(segmentWidth, i);
        if (x + segmentWidth > image.width())
            break;
        if (image.pixelColor(x, 0) == QColor(Qt::cyan))
            ++lit;
    }
    return lit;
}

QLabel* segmentOf(QWidget* parent, int width, int height)
{
    auto* segment = new QLabel(parent);
    segment->resize(width, height);
    QPixmap picture(width, height);
    picture.fill(Qt::cyan);
    segment->setPixmap(picture);
    return segment;
}

} // namespace

class TestProgressBar : public QObject {
    Q_OBJECT
private slots:
    void plans_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("segment");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("draws");
        QTest::addColumn<bool>("copies");
        QTest::addColumn<int>("blocks");
        // 181 pixels wide, 4-pixel blocks: 180 \ 5 = 36 blocks.
        QTest::newRow("at min") << 181 << 4 << 0 << 100 << 0 << true << false << 0;
        QTest::newRow("at max") << 181 << 4 << 0 << 100 << 100 << true << true << 36;
        QTest::newRow("half") << 181 << 4 << 0 << 100 << 50 << true << true << 18;
        QTest::newRow("one percent rounds to none") << 181 << 4 << 0 << 100 << 1 << true << true << 0;
        QTest::newRow("offset range") << 181 << 4 << 10 << 20 << 15 << true << true << 18;
        QTest::newRow("below min") << 181 << 4 << 10 << 20 << 9 << false << false << 0;
        QTest::newRow("above max") << 181 << 4 << 10 << 20 << 21 << false << false << 0;
        QTest::newRow("negative min") << 181 << 4 << -5 << 20 << 0 << false << false << 0;
        QTest::newRow("min above max") << 181 << 4 << 30 << 20 << 25 << false << false << 0;
        QTest::newRow("empty range") << 181 << 4 << 7 << 7 << 7 << true << false << 0;
        QTest::newRow("no block fits") << 5 << 4 << 0 << 10 << 10 << true << true << 0;
        QTest::newRow("zero-width segment") << 181 << 0 << 0 << 10 << 10 << true << true << 0;
        QTest::newRow("huge range") << 181 << 4 << 0 << 2147483647 << 2147483647 << true << true << 36;
        QTest::newRow("range of 97 full") << 181 << 4 << 0 << 97 << 97 << true << true << 36;
        QTest::newRow("range of 97 at 1") << 181 << 4 << 0 << 97 << 1 << true << true << 0;
        QTest::newRow("range of 97 at 96") << 181 << 4 << 0 << 97 << 96 << true << true << 35;
    }
    void plans()
    {
        QFETCH(int, target);
        QFETCH(int, segment);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, value);
        const ProgressDrawing plan = planProgressBar(target, segment, min, max, value);
        QTEST(plan.draws, "draws");
        QTEST(plan.copies, "copies");
        QTEST(plan.blocks, "blocks");
    }

    void aFullBarHasEveryBlockForEveryRange()
    {
        for (int range = 1; range <= 1000; ++range)
            for (int width : {60, 181, 300}) {
                const int blocks = (width - 1) / 5;
                QCOMPARE(planProgressBar(width, 4, 0, range, range).blocks, blocks);
                QCOMPARE(planProgressBar(width, 4, 5, 5 + range, 5 + range).blocks, blocks);
            }
    }

    void theBarGrowsMonotonically()
    {
        int last = 0;
        for (int v = 0; v <= 97; ++v) {
            const int blocks = planProgressBar(181, 4, 0, 97, v).blocks;
            QVERIFY(blocks >= last);
            last = blocks;
        }
        QCOMPARE(last, 36);
    }

    void theMainWindowDrawsTheBar()
    {
        InfoFixture f;
        Form1* w = f.loadForm1();
        qint16 index = 0;
        w->InitProgressBar(index);
        QCOMPARE(index, qint16(7));
        auto* buffer = w->findChild<QLabel*>("picBuffer");
        auto* bar = w->findChild<QLabel*>("picProgress");
        QVERIFY(buffer && bar);
        QCOMPARE(bar->width(), 2715 / 15);
        QCOMPARE(buffer->width(), bar->width());
        QCOMPARE(buffer->height(), w->findChild<QLabel*>("picSegment_7")->height());
        QCOMPARE(bar->height(), buffer->height());
        QVERIFY(!bar->geometry().intersects(w->rect()));

        QLabel* segment = segmentOf(w, 4, buffer->height());
        w->SetProgressBarValue(bar, 0, 97, 97, segment);
        QCOMPARE(litBlocks(bar->pixmap(), 4), 36);
        w->SetProgressBarValue(bar, 0, 97, 48, segment);
        QCOMPARE(litBlocks(bar->pixmap(), 4), 18);
        // At min the bar keeps its picture; out of range nothing changes.
        w->SetProgressBarValue(bar, 0, 97, 0, segment);
        QCOMPARE(litBlocks(bar->pixmap(), 4), 18);
        QCOMPARE(litBlocks(buffer->pixmap(), 4), 0);
        w->SetProgressBarValue(bar, 0, 97, 98, segment);
        QCOMPARE(litBlocks(bar->pixmap(), 4), 18);
        w->SetProgressBarValue(bar, -1, 97, 50, segment);
        QCOMPARE(litBlocks(bar->pixmap(), 4), 18);
        // The left margin of two pixels stays dark.
        QVERIFY(bar->pixmap().toImage().pixelColor(0, 0) != QColor(Qt::cyan));
        QVERIFY(bar->pixmap().toImage().pixelColor(6, 0) != QColor(Qt::cyan));
    }
};

VANTORA_TEST_MAIN(TestProgressBar)
#include "test_progressbar.moc"
