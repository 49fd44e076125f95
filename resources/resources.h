#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QString>

#include <optional>

namespace platform {

// Reads one of the program's embedded resources whole, as the Windows
// program's LoadResData did. `type` is "CUSTOM" or "BITMAP" (case is ignored);
// ids are listed in resources/resourceids.h. A resource the program does not
// carry, or any other type, gives an empty array.
//
// Which resources a program carries depends on the library it links:
// vantora_resources_main (the main program and its tests: everything) or
// vantora_resources_saver (the screensaver program: the pictures only).
QByteArray loadResource(const QString& type, int id);

// Releases the memory an embedded resource occupies in the running program
// once it has been read; a later read brings it in again. For the large ones
// read once at start (the screensaver program written to disk).
void releaseResource(const QString& type, int id);

// What the build recorded of a CUSTOM resource: its size and its content hash
// (platform/base/contenthash.h), which tell whether a file on disk already
// holds it without unpacking it. nullopt when nothing was recorded.
struct ResourceFingerprint {
    qint64 size = 0;
    quint64 hash = 0;
};
std::optional<ResourceFingerprint> customResourceFingerprint(int id);

// A BITMAP resource as a picture; a null pixmap when it is missing or cannot
// be decoded. Needs the GUI application to exist.
QPixmap loadBitmap(int id);

} // namespace platform
