#include "platform/desktop/osfacts.h"

#include "platform/desktop/osrelease.h"

#include <QFile>

#include <sys/utsname.h>

namespace platform {
namespace {

constexpr qint64 kMaxFileSize = qint64{64} * 1024;

std::function<OsFacts()> g_reader;

bool readSmallFile(const QString& path, QByteArray* out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *out = file.read(kMaxFileSize);
    return true;
}

QString firstLine(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes.left(bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n'))).trimmed();
}

} // namespace

OsFacts readOsFactsFrom(const QString& root)
{
    OsFacts facts;
    QByteArray bytes;
    for (const char* name : {"/etc/os-release", "/usr/lib/os-release"}) {
        if (readSmallFile(root + QLatin1String(name), &bytes)) {
            facts.osReleaseFound = true;
            facts.osRelease = parseOsRelease(bytes);
            break;
        }
    }
    if (readSmallFile(root + QStringLiteral("/etc/debian_version"), &bytes))
        facts.debianVersion = firstLine(bytes);
    struct utsname names {};
    if (uname(&names) == 0) {
        facts.kernelRelease = QString::fromLocal8Bit(names.release);
        facts.kernelVersion = QString::fromLocal8Bit(names.version);
    }
    facts.desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    facts.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    return facts;
}

OsFacts readOsFacts() { return g_reader ? g_reader() : readOsFactsFrom(QString()); }

void setOsFactsReader(std::function<OsFacts()> reader) { g_reader = std::move(reader); }

} // namespace platform
