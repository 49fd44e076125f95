#pragma once

#include "platform/base/filestamp.h"

#include <QByteArray>
#include <QString>

#include <functional>

// What every store of the user's data (settings, registry files, reminder
// files, the screensaver preferences) does with the file it keeps:
//  - it reads only a regular file, opened without blocking (a FIFO or a device
//    in its place never hangs the program) and read with a bound (a link to
//    /dev/zero or a huge file never eats the memory);
//  - it never writes over a file it could not read whole: it works on in
//    memory and leaves the file as it is;
//  - a damaged file is kept beside itself before it is first rewritten;
//  - the user hears of each of these once per run, in a "Vantora" box naming
//    the file and the reason.
namespace platform {

struct StoreFileRead {
    enum class Outcome {
        Read,    // bytes hold the whole file
        Missing, // no file (nor a dangling link's target): an empty store
        Refused, // not read: reason says why; the file must not be written over
    };
    Outcome outcome = Outcome::Missing;
    QByteArray bytes;
    // The version read (of the open file), or a missing stamp.
    FileStamp stamp;
    // For the user: "it is a folder", "it is larger than 4 MiB", "Permission denied".
    QString reason;

    bool refused() const { return outcome == Outcome::Refused; }
};

// Reads the whole file at `path` (links followed) when it is a regular file of
// at most maxBytes.
StoreFileRead readStoreFile(const QString& path, qint64 maxBytes);

// A size for the user: "4 MiB", "512 KiB", "100 bytes".
QString sizeText(qint64 bytes);

// Keeps the file at `path` beside itself as "<path>.damaged-<yyyy-mm-dd>" (or
// "-2", "-3" ... that day) before it is rewritten; a hard link where the file
// system has them, else a copy. Returns the copy's path, or "" when none could
// be made.
QString keepDamagedCopy(const QString& path);

// The user's notices about the stores' files: each message is shown once per
// run for each file and kind, in a "Vantora" box from the event loop (never
// inside the caller, which may hold a store's lock). Without an application
// object nobody is told.
enum class StoreProblem { Unreadable, Damaged, Folder };
void tellStoreProblem(StoreProblem kind, const QString& path, const QString& message);

// "Vantora cannot read <what> <path> (<reason>) ..." for a file that was refused.
void tellUnreadable(const QString& what, const QString& path, const QString& reason);
// "Part of <what> <path> could not be read ..." for a file read with damage.
void tellDamaged(const QString& what, const QString& path);

// From now on nobody is told (the full-screen clock: a box would stand over it
// with nobody to answer it).
void keepStoreProblemsQuiet();

// Forgets which notices were given (tests start a new "run").
void forgetStoreProblemsTold();

} // namespace platform
