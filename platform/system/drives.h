#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// The drives a user can browse: the root of every mounted volume that holds a
// real file system (a block device, or the root of the system), "/" first.
// Pseudo file systems (proc, sysfs, tmpfs, snaps...) are left out.
QStringList mountedDrives();

// The drive among mountedDrives() that holds `folder`: the longest root that
// is a prefix of it; "/" when none is.
QString driveOf(const QString& folder);

// Tests replace the list of drives; an empty function restores the real one.
void setDriveLister(std::function<QStringList()> lister);

} // namespace platform
