#include "core/mainwin.h"

#include "core/unzip/unzipfile.h"
#include "platform/base/appinfo.h"
#include "platform/base/atomicfile.h"
#include "platform/base/contenthash.h"
#include "platform/base/dialogs.h"
#include "platform/base/program.h"
#include "platform/base/runningstep.h"
#include "compat/vb/conversions.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"
#include "platform/system/paths.h"
#include "platform/system/residentpages.h"
#include "platform/system/singleinstance.h"
#include "resources/resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace MainWin {

bool IsFirstUse = true;

namespace {

StartupWindows* g_windows = nullptr;

constexpr int startWorkOverMs = 10000;

// Whether the file on disk is the resource already: same size, then same
// content hash (read through a mapping, nothing unpacked), still a program
// where it must be one.
bool holdsResource(int id, const QString& target, bool executable)
{
    const auto recorded = platform::customResourceFingerprint(id);
    const QFileInfo info(target);
    if (!recorded || !info.isFile() || info.size() != recorded->size || (executable && !info.isExecutable()))
        return false;
    const auto onDisk = platform::fileContentHash(target);
    return onDisk && *onDisk == recorded->hash;
}

// Writes one embedded resource unless the file already holds it; a file that
// cannot be written is skipped. The whole file is replaced, so an older,
// longer file leaves no tail behind.
bool writeResource(int id, const QString& target, bool executable = false)
{
    if (holdsResource(id, target, executable))
        return true;
    const QByteArray bytes = platform::loadResource(QStringLiteral("CUSTOM"), id);
    // Read once: the program keeps none of it in memory.
    platform::releaseResource(QStringLiteral("CUSTOM"), id);
    // The fixed Windows folders (C:\Windows) always exist there; make their stand-ins.
    QDir().mkpath(QFileInfo(target).absolutePath());
    return platform::writeFileAtomically(target, bytes, executable ? 0755 : 0).ok;
}

bool readFirstUse()
{
    try {
        return platform::toBool(
            platform::getSetting(platform::kOptions, platform::optionkeys::kFirstUse2, QStringLiteral("True")));
    } catch (const platform::RuntimeError&) {
        // A damaged value: show the licence again rather than fail to start.
        return true;
    }
}

} // namespace

void setStartupWindows(StartupWindows* windows) { g_windows = windows; }

QString eulaPath() { return platform::appPath() + QStringLiteral("/eula.txt"); }
QString saverPath() { return platform::hostPath(QStringLiteral("C:\\Windows\\VN.scr")); }
QString helpZipPath() { return platform::appPath() + QStringLiteral("/VN.zip"); }

void ExtractEula() { writeResource(104, eulaPath()); }
void ExtractSaver() { writeResource(105, saverPath(), true); }
void ExtractHelpZip() { writeResource(106, helpZipPath()); }

void Main()
{
    if (platform::isAnotherInstanceRunning(QStringLiteral("Vantora"))) {
        platform::dialogs().msgBox(QStringLiteral("Vantora is already running on this computer.\r\n\r\n"
                                                  "Click on the Vantora icon in the system tray...\r\n"
                                                  "...if the application is not visible."),
                                   platform::mb::Information,
                                   QStringLiteral("Vantora - v ") + platform::appVersionText());
        platform::endProgram();
        return;
    }
    ExtractEula();
    ExtractSaver();
    ExtractHelpZip();
    IsFirstUse = readFirstUse();
    if (IsFirstUse) {
        if (g_windows)
            g_windows->showLicence();
        return;
    }
    ContinueStart();
}

void ContinueStart()
{
    UnZipHelp();
    if (!g_windows)
        return;
    g_windows->showMainWindow();
    g_windows->startReminders();
    // The start's work, its workers' included (the zone database), leaves
    // freed heap behind that the allocator keeps: it goes back once that work
    // is over.
    QTimer::singleShot(startWorkOverMs, [] { platform::returnFreeHeap(); });
}

void UnZipHelp()
{
    try {
        UnZipFile(helpZipPath(), platform::appPath() + QLatin1Char('/'));
    } catch (const std::exception&) {
        // A help archive that cannot be unpacked shows up later as a help page
        // that cannot be opened.
    }
    if (g_windows)
        g_windows->enableHelpCleanup();
}

void CloseSaver()
{
    platform::ShowCursor(true);
    if (g_windows)
        g_windows->closeSaverPreview();
    platform::ShowCursor(true);
    if (g_windows)
        g_windows->showMainWindow();
}

void ResetAll()
{
    // A step still on its way (a box, a modal window, a wait) finishes first.
    if (platform::stepRunning()) {
        platform::whenNoStepRunning(ResetAll);
        return;
    }
    if (g_windows)
        g_windows->unloadAll();
    // The main window is unloaded now; the one the restart loads reads the
    // zone count from the store.
    resetStoredSettings();
    Main();
}

void resetStoredSettings()
{
    // One replacement of the file: a crash in between never leaves the
    // options gone without FirstUse2, which would bring the licence back.
    const platform::SettingsBatch batch;
    platform::saveSetting(platform::kOptions, platform::optionkeys::kLastTZAdd, QStringLiteral("0"));
    platform::deleteSetting(platform::kOptions);
    platform::deleteSetting(QStringLiteral("ScreenSaver"));
    platform::saveSetting(platform::kOptions, platform::optionkeys::kFirstUse2, QStringLiteral("False"));
}

} // namespace MainWin
