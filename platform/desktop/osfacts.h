#pragma once

#include <QMap>
#include <QString>

#include <functional>

namespace platform {

// What the operating-system information window shows, as this system reports it.
struct OsFacts {
    bool osReleaseFound = false;
    QMap<QString, QString> osRelease; // the os-release keys
    QString kernelRelease;            // uname -r
    QString kernelVersion;            // uname -v
    QString debianVersion;            // first line of /etc/debian_version, or empty
    QString desktop;                  // XDG_CURRENT_DESKTOP
    QString sessionType;              // XDG_SESSION_TYPE
};

// Reads the facts: os-release from <root>/etc/os-release, else
// <root>/usr/lib/os-release; <root>/etc/debian_version; the kernel through
// uname(); the desktop from the environment. Files over 64 KiB are read up to there.
OsFacts readOsFactsFrom(const QString& root);

// The facts of this computer (root "/"), or of the reader set for tests.
OsFacts readOsFacts();
// Replaces the reader; an empty function restores the real one.
void setOsFactsReader(std::function<OsFacts()> reader);

} // namespace platform
