#pragma once

#include "platform/base/dialogs.h"
#include "tests/support/doubles/scripteddialogs.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

// The damages every store of the user's data must survive, shared by the
// stores' table-driven tests.
namespace testsupport {

enum class Damage {
    Unreadable,  // a link to itself: open() fails (ELOOP) even for root, who reads mode-000 files
    Fifo,        // a named pipe with no writer: a blocking open would hang
    DevZeroLink, // a link to /dev/zero: an unbounded read would never end
    Folder,      // a folder in the file's place
    Huge,        // a sparse file one byte over the store's bound
    Binary,      // 4 KiB of bytes with NULs: readable, but not the store's form
    Truncated,   // the good file cut two bytes into its last line
};

// Adds one row per damage to the running data function (column "damage").
void addDamageRows();

// Whether the store must refuse the file (leave it as it is) rather than read it.
bool isRefused(Damage damage);

// Puts the damage in place of the file at `path`; `good` is a well-formed file
// of that store and `bound` the largest file it reads.
void applyDamage(Damage damage, const QString& path, const QByteArray& good, qint64 bound);

// Removes whatever is at `path` (file, link, pipe or folder).
void removeDamage(const QString& path);

// What is at `path`, for comparing before and after without reading a pipe or
// a device: the bytes of a regular file, else what kind of thing it is.
QByteArray fileState(const QString& path);

// The words the "cannot read" box gives as the reason for a refused damage.
QString refusalWords(Damage damage);

// The message boxes shown so far that name `path`, once the notices waiting in
// the event loop have run.
QStringList boxesNaming(platform::ScriptedDialogs& dialogs, const QString& path);

} // namespace testsupport

Q_DECLARE_METATYPE(testsupport::Damage)
