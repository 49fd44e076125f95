#pragma once

#include <QString>

#include <functional>

// Opening documents with the desktop's associated program.
namespace modShellExec {

// Opens a file (or URL) with its associated program; the third argument is
// not used. Returns at once; `whenDone` gets the shell's result (33 or more is
// success) when the opener has answered, while the windows go on working.
void ShellExec(const QString& file, const QString& directory, const QString& unused,
               std::function<void(int result)> whenDone);

// The message for a failed result (below 33).
QString shellErrorText(int code);

// For a result below 33 returns "True" when show is set, else "False"; with
// show set it tells the user and writes and unpacks the help files again.
// For 33 and above it returns "" and does nothing.
QString ShellExecErr(int code, bool show);

} // namespace modShellExec
