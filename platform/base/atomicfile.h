#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// What a whole-file replacement ended with. `error` is a sentence for the user
// ("No space left on device") when `ok` is false.
struct WriteResult {
    bool ok = false;
    QString error;
    explicit operator bool() const { return ok; }
};

// Replaces the file at `path` with `data` so that a reader (or the next start
// after a crash) sees either the old file or the new one, never a part of either:
// the data goes to a temporary file beside it, is flushed and checked, renamed
// over the old file, and the folder is synced. On any failure the old file stays
// as it was and no temporary file is left behind. A symbolic link is followed:
// its target is replaced and the link stays. `permissions` (when not 0) are the
// new file's mode bits, as for chmod. Two processes that may replace the same
// file hold a lock of their own around the call.
WriteResult writeFileAtomically(const QString& path, const QByteArray& data, unsigned permissions = 0);

// Removes the temporary files that an interrupted writeFileAtomically of `path`
// left in its folder (a kill between creating and renaming them).
void removeStaleTemporaries(const QString& path);

} // namespace platform
