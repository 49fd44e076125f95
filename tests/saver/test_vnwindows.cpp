// The screensaver program on a real X server: drawn into the daemon's window,
// following it and ending with it, full-screen on "/s", the settings on "/c".
#include "tests/saver/xvfb.h"
#include "tests/support/testenv.h"

#include <QApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QScreen>
#include <QTest>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// A window of another program: the daemon's, or its settings tool's preview.
class HostWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), Qt::darkRed); }
};

xcb_connection_t* connection() { return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection(); }

QList<xcb_window_t> childrenOf(xcb_window_t window)
{
    QList<xcb_window_t> children;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection(), xcb_query_tree(connection(), window), nullptr);
    if (!tree)
        return children;
    const xcb_window_t* list = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
        children.append(list[i]);
    std::free(tree);
    return children;
}

QSize sizeOf(xcb_window_t window)
{
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(connection(), xcb_get_geometry(connection(), window), nullptr);
    if (!g)
        return {};
    const QSize size(g->width, g->height);
    std::free(g);
    return size;
}

bool isMapped(xcb_window_t window)
{
    xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(
        connection(), xcb_get_window_attributes(connection(), window), nullptr);
    const bool mapped = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return mapped;
}

// The sizes of the mapped windows straight under the root.
QList<QSize> mappedTopLevels()
{
    QList<QSize> sizes;
    for (xcb_window_t w : childrenOf(xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root))
        if (isMapped(w))
            sizes.append(sizeOf(w));
    return sizes;
}

QString hex(WId id) { return QStringLiteral("0x%1").arg(id, 0, 16); }

class VNProcess : public QProcess {
public:
    explicit VNProcess(const QString& hostVariable = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XSCREENSAVER_WINDOW");
        if (!hostVariable.isEmpty())
            env.insert("XSCREENSAVER_WINDOW", hostVariable);
        env.remove("QT_QPA_PLATFORM");
        setProcessEnvironment(env);
        setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~VNProcess() override
    {
        if (state() != QProcess::NotRunning) {
            kill();
            waitForFinished();
        }
    }
    void run(const QStringList& arguments)
    {
        start(QStringLiteral(VN_PROGRAM), arguments);
        waitForStarted();
    }
};

} // namespace

class TestVNWindows : public QObject {
    Q_OBJECT
private slots:
    void drawsIntoTheDaemonsWindowAndEndsWithIt()
    {
        auto host = std::make_unique<HostWindow>();
        host->resize(500, 300);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
        const WId id = host->winId();
        VNProcess vn(hex(id));
        vn.run({"/s"});
        QTRY_COMPARE_WITH_TIMEOUT(childrenOf(id).size(), 1, 10000);
        const xcb_window_t clock = childrenOf(id).first();
        QTRY_COMPARE_WITH_TIMEOUT(sizeOf(clock), QSize(500, 300), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(testsupport::litPixels(id) > 50, 10000);
        // The settings tool's preview changes size: the clock follows.
        host->resize(640, 400);
        QTRY_COMPARE_WITH_TIMEOUT(sizeOf(clock), QSize(640, 400), 10000);
        host.reset(); // the daemon's window goes away
        xcb_flush(connection());
        QVERIFY(vn.waitForFinished(5000));
        QCOMPARE(vn.exitStatus(), QProcess::NormalExit);
    }

    void thePreviewsWindowIdWinsAndTheDaemonsSignalEndsIt()
    {
        HostWindow preview;
        preview.resize(320, 180);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        VNProcess vn(QStringLiteral("0x12345"));
        vn.run({"/s", "--window-id", hex(preview.winId())});
        QTRY_COMPARE_WITH_TIMEOUT(childrenOf(preview.winId()).size(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(testsupport::litPixels(preview.winId()) > 10, 10000);
        vn.terminate();
        QVERIFY(vn.waitForFinished(5000));
    }

    void oneCopyPerScreenRunsAtOnce()
    {
        HostWindow first, second;
        for (HostWindow* w : {&first, &second}) {
            w->resize(400, 240);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        }
        VNProcess a(hex(first.winId())), b(hex(second.winId()));
        a.run({"/s"});
        b.run({"/s"});
        QTRY_COMPARE_WITH_TIMEOUT(childrenOf(first.winId()).size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(childrenOf(second.winId()).size(), 1, 10000);
        QCOMPARE(a.state(), QProcess::Running);
        QCOMPARE(b.state(), QProcess::Running);
    }

    void aHostWindowThatIsGoneEndsItAtOnce()
    {
        VNProcess vn(QStringLiteral("0x7ffff0"));
        vn.run({"/s"});
        QVERIFY(vn.waitForFinished(5000));
        QCOMPARE(vn.exitCode(), 0);
    }

    void withoutAHostItFillsTheScreenAndAClickEndsIt()
    {
        VNProcess vn;
        vn.run({"/s"});
        QTRY_VERIFY_WITH_TIMEOUT(mappedTopLevels().contains(QSize(1280, 1024)), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(testsupport::litPixels(0) > 100, 10000);
        QCOMPARE(QProcess::execute("xdotool", {"mousemove", "5", "5", "click", "1"}), 0);
        QVERIFY(vn.waitForFinished(5000));
        QCOMPARE(vn.exitCode(), 0);
    }

    void theSettingsSwitchOpensTheSettingsWindow()
    {
        VNProcess vn;
        vn.run({"/c:1234"});
        // The settings window's design size, wider where the desktop's font needs it.
        const auto settingsShown = [] {
            const QList<QSize> sizes = mappedTopLevels();
            return std::any_of(sizes.cbegin(), sizes.cend(),
                               [](const QSize& s) { return s.height() == 490 && s.width() >= 306 && s.width() < 400; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(settingsShown(), 10000);
        QCOMPARE(vn.state(), QProcess::Running);
    }
};

int main(int argc, char** argv) { return testsupport::runTestsOnXvfb<TestVNWindows>(argc, argv); }

#include "test_vnwindows.moc"
