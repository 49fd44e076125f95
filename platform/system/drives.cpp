#include "platform/system/drives.h"

#include <QDir>
#include <QStorageInfo>

namespace platform {

namespace {

std::function<QStringList()>& lister()
{
    static std::function<QStringList()> f;
    return f;
}

bool isRealVolume(const QStorageInfo& volume)
{
    if (!volume.isValid() || !volume.isReady())
        return false;
    if (volume.isRoot())
        return true;
    const QByteArray type = volume.fileSystemType();
    if (type == "squashfs" || type == "tmpfs" || type == "devtmpfs")
        return false;
    return volume.device().startsWith("/dev/");
}

QStringList systemDrives()
{
    QStringList drives{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::cleanPath(volume.rootPath());
        if (isRealVolume(volume) && !drives.contains(root))
            drives.append(root);
    }
    return drives;
}

bool holds(const QString& root, const QString& folder)
{
    if (root == QLatin1String("/"))
        return folder.startsWith(QLatin1Char('/'));
    return folder == root || folder.startsWith(root + QLatin1Char('/'));
}

} // namespace

QStringList mountedDrives() { return lister() ? lister()() : systemDrives(); }

QString driveOf(const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    QString best = QStringLiteral("/");
    for (const QString& root : mountedDrives())
        if (holds(root, clean) && root.size() > best.size())
            best = root;
    return best;
}

void setDriveLister(std::function<QStringList()> f) { lister() = std::move(f); }

} // namespace platform
