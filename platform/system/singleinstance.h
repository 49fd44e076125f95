#pragma once

#include <QString>

namespace platform {

// Whether another copy of the program called programName is running for this
// user. When none is, this process takes the program's lock and keeps it for
// the rest of its life, so asking again from the same process answers false.
// The lock is a file in the user's runtime folder (or the temp folder) that
// names its owner's process: a copy that crashed does not block the next
// start. When the lock cannot be checked at all the answer is false, so a
// broken runtime folder never keeps the program from starting.
bool isAnotherInstanceRunning(const QString& programName);

// Gives up every lock taken by isAnotherInstanceRunning.
void releaseInstanceLock();

// The lock file used for programName.
QString instanceLockPath(const QString& programName);

} // namespace platform
