// The cost of asking whether a notification area exists, on the display and
// session bus it is run with. Run: ./bench_trayavail [checks]
//   ./bench_trayavail --watcher   stands in for a D-Bus tray host
//                                 (org.kde.StatusNotifierWatcher) until killed.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return m_items; }

public slots:
    void RegisterStatusNotifierItem(const QString& service) { m_items << service; }
    void RegisterStatusNotifierHost(const QString&) {}

private:
    QStringList m_items;
};

int runWatcher()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    Watcher watcher;
    if (!bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))
        || !bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)) {
        QTextStream(stderr) << "cannot register the watcher\n";
        return 1;
    }
    QTextStream(stdout) << "watcher ready\n" << Qt::flush;
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--watcher") {
        QCoreApplication app(argc, argv);
        return runWatcher();
    }
    QApplication app(argc, argv);
    const int checks = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;
    std::vector<double> ms;
    bool available = false;
    for (int i = 0; i < checks; ++i) {
        QElapsedTimer t;
        t.start();
        available = QSystemTrayIcon::isSystemTrayAvailable();
        ms.push_back(double(t.nsecsElapsed()) / 1.0e6);
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms)
        sum += v;
    QTextStream(stdout) << "platform " << QGuiApplication::platformName()
                        << ", tray available: " << (available ? "yes" : "no") << "\n"
                        << checks << " checks: first run included; mean " << sum / checks << " ms, median "
                        << ms[ms.size() / 2] << " ms, 95th " << ms[ms.size() * 95 / 100] << " ms, max " << ms.back()
                        << " ms\n"
                        << "polled every 10 s: " << 100.0 * (sum / checks) / 10000.0 << " % of a core\n";
    return 0;
}

#include "bench_trayavail.moc"
