#include "saverapp/vnmod.h"

#include "platform/base/application.h"
#include "platform/base/storefile.h"
#include "platform/base/program.h"
#include "platform/controls/hostwindow.h"
#include "platform/system/singleinstance.h"
#include "saver/inmainapp.h"
#include "saver/mainvn.h"
#include "saver/settingvn.h"

#include <QTimer>

#include <memory>

namespace VNMod {
namespace {

// How often a hosted clock checks that its host window still exists and
// follows its size.
constexpr int kHostCheckMs = 250;

std::optional<quint32> windowIdArgument(const QStringList& arguments)
{
    const QLatin1String option("--window-id");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == option && i + 1 < arguments.size())
            return platform::parseWindowId(arguments[i + 1]);
        if (arguments[i].startsWith(option + QLatin1Char('=')))
            return platform::parseWindowId(arguments[i].mid(option.size() + 1));
    }
    return std::nullopt;
}

bool anyContains(const QStringList& arguments, QLatin1String text)
{
    for (const QString& argument : arguments)
        if (argument.contains(text))
            return true;
    return false;
}

// Draws the clock inside the host window until that window goes away.
int runHosted(quint32 hostWindow)
{
    const auto size = platform::foreignWindowSize(hostWindow);
    if (!size)
        return 0;
    auto* clock = new MainVN(EndSaver);
    clock->setHostArea(*size);
    clock->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!platform::embedIntoForeignWindow(clock, hostWindow))
        return 0;
    clock->Form_Load();
    auto* watch = new QTimer(clock);
    QObject::connect(watch, &QTimer::timeout, clock, [clock, hostWindow] {
        const auto now = platform::foreignWindowSize(hostWindow);
        if (!now) {
            platform::endProgram();
            return;
        }
        if (*now != clock->screenArea())
            clock->setHostArea(*now);
    });
    watch->start(kHostCheckMs);
    return QApplication::exec();
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& windowVariable)
{
    CommandLine line;
    if (anyContains(arguments, QLatin1String("/s")))
        line.which = Switch::Saver;
    else if (anyContains(arguments, QLatin1String("/c")))
        line.which = Switch::Settings;
    if (line.which == Switch::Saver) {
        line.hostWindow = windowIdArgument(arguments);
        if (!line.hostWindow && !windowVariable.isEmpty())
            line.hostWindow = platform::parseWindowId(windowVariable);
    }
    return line;
}

void EndSaver()
{
    platform::ShowCursor(true);
    platform::endProgram();
}

int Main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = parseCommandLine(arguments, qEnvironmentVariable("XSCREENSAVER_WINDOW"));
    if (line.which == Switch::None)
        return 0;
    // The daemon starts one copy per screen, and the next one before the
    // last has ended: hosted copies never wait for each other.
    if (!line.hostWindow && platform::isAnotherInstanceRunning(QStringLiteral("VN")))
        return 0;
    if (line.hostWindow)
        qputenv("QT_QPA_PLATFORM", "xcb");

    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VN"));
    InMainApp = false;
    if (line.which == Switch::Saver) {
        platform::keepStoreProblemsQuiet();
        if (line.hostWindow)
            return runHosted(*line.hostWindow);
        platform::ShowCursor(false);
        auto clock = std::make_unique<MainVN>(EndSaver);
        clock->Form_Load();
        return QApplication::exec();
    }
    auto settings = std::make_unique<SettingVN>();
    settings->show();
    return QApplication::exec();
}

} // namespace VNMod
