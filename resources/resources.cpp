#include "resources/resources.h"

#include <QHash>

#include "platform/system/residentpages.h"
#include "resources/resourceids.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
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

void releaseResource(const QString& type, int id)
{
    const QString path = resourcePath(type, id);
    if (path.isEmpty())
        return;
    const QResource resource(path);
    if (resource.isValid() && resource.data())
        releaseFilePages(resource.data(), static_cast<std::size_t>(resource.size()));
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
    QByteArray bytes = loadResource(QLatin1String(resid::TypeBitmap), id);
    if (!bytes.isEmpty()) {
        // Every picture is a PNG: read by Qt's own reader alone, without
        // loading the image plug-ins that would guess a format from content.
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer, "png");
        reader.setAutoDetectImageFormat(false);
        pixmap = QPixmap::fromImage(reader.read());
    }
    decoded.insert(id, pixmap);
    return pixmap;
}

} // namespace platform
