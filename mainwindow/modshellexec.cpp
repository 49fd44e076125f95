#include "mainwindow/modshellexec.h"

#include "core/mainwin.h"
#include "core/unzip/unzipfile.h"
#include "platform/base/dialogs.h"
#include "compat/win32/shell.h"
#include "platform/system/paths.h"

namespace modShellExec {

void ShellExec(const QString& file, const QString& directory, const QString& unused,
               std::function<void(int result)> whenDone)
{
    Q_UNUSED(unused);
    platform::shell().shellExecute(QStringLiteral("Open"), file, QString(), directory, 1, std::move(whenDone));
}

QString shellErrorText(int code)
{
    switch (code) {
    case 2: return QStringLiteral("File not found");
    case 3: return QStringLiteral("Path not found");
    case 5: return QStringLiteral("Access denied");
    case 8: return QStringLiteral("Out of memory");
    case 11: return QStringLiteral("Invalid EXE file or error in EXE image");
    case 26: return QStringLiteral("A sharing violation occurred");
    case 27: return QStringLiteral("Incomplete or invalid file association");
    case 28: return QStringLiteral("DDE Time out");
    case 29: return QStringLiteral("DDE transaction failed");
    case 30: return QStringLiteral("DDE busy");
    case 31: return QStringLiteral("No association for file extension");
    case 32: return QStringLiteral("DLL not found");
    default: return QStringLiteral("Unknown error");
    }
}

QString ShellExecErr(int code, bool show)
{
    if (code >= 33)
        return {};
    if (!show)
        return QStringLiteral("False");
    platform::dialogs().msgBox(shellErrorText(code)
                                   + QStringLiteral("\r\n\r\nVantora will try to re-install the Help files.\r\n"
                                                    "Try again in a few seconds..."),
                               platform::mb::Critical, QStringLiteral("Vantora Error"));
    MainWin::ExtractHelpZip();
    try {
        MainWin::UnZipFile(MainWin::helpZipPath(), platform::appPath() + QLatin1Char('/'));
    } catch (const std::exception&) {
        // The user is told to try again; a second failure reports itself the same way.
    }
    return QStringLiteral("True");
}

} // namespace modShellExec
