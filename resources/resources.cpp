#include "resources/resources.h"

#include <QHash>

#include "resources/resourceids.h"

#include <QFile>
#include <QResource>

namespace platform {
namespace {

// Embedded files live under ":/vantora/<TYPE>/<id>" (see resources/CMakeLists.txt).
QString resourcePath(const QString& type, int id)
{
    const QString upper = type.toUpper();
    if (upper != QLatin1String(resid::TypeCustom) && upper != QLatin1String(resid::TypeBitmap))
        return {};
    return QStringLiteral(":/vantora/%1/%2").arg(upper).arg(id);
}

} // namespace

QByteArray loadResource(const QString& type, int id)
{
    const QString path = resourcePath(type, id);
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::optional<ResourceFingerprint> customResourceFingerprint(int id)
{
    const QString path = resourcePath(QLatin1String(resid::TypeCustom), id);
    QFile hashFile(path + QStringLiteral(".hash"));
    if (!hashFile.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const quint64 hash = hashFile.readAll().trimmed().toULongLong(&ok);
    const QResource resource(path);
    if (!ok || !resource.isValid())
        return std::nullopt;
    return ResourceFingerprint{resource.uncompressedSize(), hash};
}

QPixmap loadBitmap(int id)
{
    // The pictures never change while the program runs, and the clock swaps
    // some of them several times a second: decode each one once.
    static QHash<int, QPixmap> decoded;
    const auto found = decoded.constFind(id);
    if (found != decoded.constEnd())
        return *found;
    QPixmap pixmap;
    const QByteArray bytes = loadResource(QLatin1String(resid::TypeBitmap), id);
    if (!bytes.isEmpty())
        pixmap.loadFromData(bytes, "PNG");
    decoded.insert(id, pixmap);
    return pixmap;
}

} // namespace platform
