// "Always Visible" on a real X server: the keep-above state changes on the
// window that exists, which keeps its id, its place and the keyboard focus.
#include "mainwindow/form1.h"
#include "platform/base/windowsystem.h"
#include "tests/mainwindow/form1fixture.h"
#include "tests/support/testenv.h"
#include "tests/support/xcbquery.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::Form1Fixture;

namespace {

pid_t g_xserver = 0;

// Starts Xvfb on a display it picks itself; returns its number, or -1.
int startXvfb()
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    g_xserver = ::fork();
    if (g_xserver == 0) {
        ::close(fds[0]);
        if (fds[1] != 3) {
            ::dup2(fds[1], 3);
            ::close(fds[1]);
        }
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1024x768x24", nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    QByteArray number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    bool ok = false;
    const int display = number.toInt(&ok);
    return ok ? display : -1;
}

void stopXvfb()
{
    if (g_xserver <= 0)
        return;
    ::kill(g_xserver, SIGTERM);
    ::waitpid(g_xserver, nullptr, 0);
}

// A second client of the X server that watches what the program asks of the
// window manager and what happens to its windows.
class Observer {
public:
    Observer() : m_conn(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_conn, m_root, XCB_CW_EVENT_MASK, &mask);
        m_state = atom("_NET_WM_STATE");
        m_above = atom("_NET_WM_STATE_ABOVE");
        xcb_flush(m_conn);
    }
    ~Observer() { xcb_disconnect(m_conn); }

    struct StateRequest {
        uint32_t window, action, first;
    };

    void drain()
    {
        while (xcb_generic_event_t* e = xcb_poll_for_event(m_conn)) {
            const auto type = e->response_type & 0x7f;
            if (type == XCB_CLIENT_MESSAGE) {
                auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
                if (m->type == m_state)
                    requests.push_back({m->window, m->data.data32[0], m->data.data32[1]});
            } else if (type == XCB_UNMAP_NOTIFY) {
                unmapped.push_back(reinterpret_cast<xcb_unmap_notify_event_t*>(e)->window);
            } else if (type == XCB_DESTROY_NOTIFY) {
                destroyed.push_back(reinterpret_cast<xcb_destroy_notify_event_t*>(e)->window);
            }
            std::free(e);
        }
    }

    bool askedFor(uint32_t window, uint32_t action)
    {
        drain();
        for (const auto& r : requests)
            if (r.window == window && r.action == action && r.first == m_above)
                return true;
        return false;
    }

    uint32_t focus() { return testsupport::inputFocus(m_conn); }

    std::vector<StateRequest> requests;
    std::vector<uint32_t> unmapped;
    std::vector<uint32_t> destroyed;

private:
    xcb_atom_t atom(const char* name) { return testsupport::internAtom(m_conn, name); }

    xcb_connection_t* m_conn;
    xcb_window_t m_root = 0;
    xcb_atom_t m_state = 0;
    xcb_atom_t m_above = 0;
};

} // namespace

class TestOnTopX11 : public QObject {
    Q_OBJECT
private slots:
    void alwaysVisibleKeepsTheWindowAndItsFocus()
    {
        QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
        Observer x;
        Form1Fixture f;
        platform::setWindowSystem(nullptr); // the real stacking call
        Form1* w = f.loadForm1();
        QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)); // "Always Visible" is on by default
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->activateWindow();
        const auto id = static_cast<uint32_t>(w->winId());
        QTRY_COMPARE(x.focus(), id);
        const QRect placed = w->geometry();
        x.drain();
        x.unmapped.clear();
        x.destroyed.clear();

        f.trigger("alwvis");
        QVERIFY(!w->Form1OnTop);
        QTRY_VERIFY(x.askedFor(id, 0)); // _NET_WM_STATE remove ABOVE, on the same window
        f.trigger("alwvis");
        QVERIFY(w->Form1OnTop);
        QTRY_VERIFY(x.askedFor(id, 1)); // add ABOVE

        QCOMPARE(static_cast<uint32_t>(w->winId()), id);
        QCOMPARE(x.focus(), id);
        QVERIFY(w->isVisible());
        QCOMPARE(w->geometry(), placed);
        x.drain();
        QVERIFY(x.unmapped.empty());
        QVERIFY(x.destroyed.empty());
        platform::setWindowSystem(&f.windows());
    }
};

int main(int argc, char** argv)
{
    testsupport::environment();
    const int display = startXvfb();
    if (display < 0) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    ::setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result = 0;
    {
        QApplication app(argc, argv);
        TestOnTopX11 tc;
        result = QTest::qExec(&tc, argc, argv);
    }
    stopXvfb();
    return result;
}

#include "test_ontop_x11.moc"
