#include "platform/system/paths.h"

#include "platform/base/storefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QString vantoraDataRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Vantora");
}

// Made when missing; one that cannot be made or written to is told once.
QString ensured(const QString& folder, const QString& what)
{
    QDir().mkpath(folder);
    const QByteArray native = QFile::encodeName(folder);
    struct stat st {};
    QString reason;
    const bool found = ::stat(native.constData(), &st) == 0;
    if (found && !S_ISDIR(st.st_mode))
        reason = QStringLiteral("a file of that name is in the way");
    else if (!found || ::access(native.constData(), W_OK | X_OK) != 0)
        reason = qt_error_string(errno);
    if (!reason.isEmpty())
        tellStoreProblem(StoreProblem::Folder, folder,
                         QStringLiteral("Vantora cannot use %1\r\n%2\r\n(%3).\r\n\r\n"
                                        "What it keeps there is not stored until that is mended.")
                             .arg(what, QDir::toNativeSeparators(folder), reason));
    return folder;
}

QString cleanRelative(const QString& path)
{
    QStringList kept;
    for (const QString& part : QString(path).replace('\\', '/').split('/', Qt::SkipEmptyParts))
        if (part != QLatin1String(".") && part != QLatin1String(".."))
            kept.append(part);
    return kept.join('/');
}

} // namespace

QString appPath()
{
    return ensured(vantoraDataRoot() + QStringLiteral("/program"), QStringLiteral("its program folder"));
}

QString driveRoot(QChar driveLetter)
{
    return ensured(vantoraDataRoot() + QStringLiteral("/drive_") + driveLetter.toLower(),
                   QStringLiteral("its data folder"));
}

QString hostPath(const QString& windowsPath)
{
    if (windowsPath.size() >= 2 && windowsPath[1] == QLatin1Char(':') && windowsPath[0].isLetter()) {
        const QString rest = cleanRelative(windowsPath.mid(2));
        const QString root = driveRoot(windowsPath[0]);
        return rest.isEmpty() ? root : root + '/' + rest;
    }
    const QString rest = cleanRelative(windowsPath);
    return rest.isEmpty() ? appPath() : appPath() + '/' + rest;
}

QString executablePath() { return QCoreApplication::applicationFilePath(); }

} // namespace platform
