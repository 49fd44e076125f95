#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

// What the test process opens, libraries (dlopen) and folders (opendir), and
// from which thread, and which files it replaces (rename): linked into a
// test, its own dlopen, opendir and rename come before the C library's, note
// the call and hand it on. For checking that
// slow work (loading a plugin, reading a folder of files) stays off the
// window thread, the process's first thread.

// The paths containing `part` that the window thread opened, in order.
QStringList openedOnWindowThread(const QString& part);
// The paths containing `part` that other threads opened, in order.
QStringList openedOnOtherThreads(const QString& part);

// How often a file was replaced by renaming another onto it (an atomic write).
int timesReplaced(const QString& path);

} // namespace testsupport
