#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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
// the data goes to a temporary file beside it, is written unbuffered, synced and
// checked, renamed over the old file, and the folder is synced. On any failure the
// old file stays as it was and no temporary file is left behind. A symbolic link
// is followed (through chains of links): its final target is replaced and the
// links stay. A folder at `path` is refused. `permissions` (when not 0) are the
// new file's mode bits, as for chmod; otherwise the old file's mode is kept (a new
// file gets 0666 less the umask). The folder must exist.
//
// Temporaries that a killed writer left beside the target are removed by the
// next write of that target. Two processes that may replace the same file at
// once hold a lock of their own around the call, or the last rename wins.
WriteResult writeFileAtomically(const QString& path, const QByteArray& data, unsigned permissions = 0);

// As above; `beforeReplace` runs on the open, fully written temporary (its file
// descriptor) just before it is renamed over the target, for example to set its
// times. It never closes the descriptor.
WriteResult writeFileAtomically(const QString& path, const QByteArray& data, unsigned permissions,
                                const std::function<void(int fd)>& beforeReplace);

// Removes the temporary files that an interrupted writeFileAtomically of `path`
// left in its folder (a kill between creating and renaming them). Temporaries of
// a writer that is still running are kept.
void removeStaleTemporaries(const QString& path);

// The file a write of `path` replaces: `path` itself, or the final target of the
// symbolic links it names.
QString atomicWriteTarget(const QString& path);

} // namespace platform
