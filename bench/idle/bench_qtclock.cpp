// The floor a Qt clock can reach: one label showing hh:mm:ss, woken by one
// precise single-shot timer on each next second. The idle benchmarks run it
// beside the program. Run: ./bench_qtclock [--first-paint]
// (--first-paint ends the program once its window has been painted, for
// counting the instructions of a start.)
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QTimer>

namespace {

class ClockLabel : public QLabel {
public:
    explicit ClockLabel(bool quitAfterPaint) : m_quitAfterPaint(quitAfterPaint) { tick(); }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QLabel::paintEvent(event);
        if (m_quitAfterPaint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }

private:
    void tick()
    {
        const QDateTime now = QDateTime::currentDateTime();
        setText(now.toString(QStringLiteral("HH:mm:ss")));
        QTimer::singleShot(1000 - now.time().msec(), Qt::PreciseTimer, this, [this] { tick(); });
    }

    bool m_quitAfterPaint;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool firstPaint = argc > 1 && QByteArray(argv[1]) == "--first-paint";
    ClockLabel label(firstPaint);
    label.setWindowTitle(QStringLiteral("Qt clock"));
    label.resize(200, 60);
    label.show();
    return QApplication::exec();
}
