#include "platform/system/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace platform {
namespace {

QString vantoraDataRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Vantora");
}

QString ensured(const QString& folder)
{
    QDir().mkpath(folder);
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

QString appPath() { return ensured(vantoraDataRoot() + QStringLiteral("/program")); }

QString driveRoot(QChar driveLetter)
{
    return ensured(vantoraDataRoot() + QStringLiteral("/drive_") + driveLetter.toLower());
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
