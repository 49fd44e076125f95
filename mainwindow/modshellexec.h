#pragma once

#include <QString>

// Opening documents with the desktop's associated program.
namespace modShellExec {

// Opens a file (or URL) with its associated program; the third argument is
// not used. Returns the shell's result: 33 or more is success.
int ShellExec(const QString& file, const QString& directory, const QString& unused = {});

// The message for a failed result (below 33).
QString shellErrorText(int code);

// For a result below 33 returns "True" when show is set, else "False"; with
// show set it tells the user and writes and unpacks the help files again.
// For 33 and above it returns "" and does nothing.
QString ShellExecErr(int code, bool show);

} // namespace modShellExec
