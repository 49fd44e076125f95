#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

// Result codes of the shell's open call: 33 or more means success; below 33
// the code names the failure.
namespace se {
constexpr int Unknown = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int NoAssociation = 31;
constexpr int InvalidAssociation = 27;
constexpr int Success = 42;
} // namespace se

// Opens a document with the program the desktop associates with it.
class Shell {
public:
    // Called once with the se:: code of an open request.
    using Done = std::function<void(int code)>;

    virtual ~Shell() = default;
    // verb, file, parameters, working folder, show mode as the Windows shell
    // takes them; only "open" of a file or URL is supported. Returns at once;
    // `done` gets the se:: code when it is known (at once for a file that
    // cannot be opened, otherwise when the opener has ended), on the window
    // thread, so the windows stay responsive meanwhile.
    virtual void shellExecute(const QString& verb, const QString& file, const QString& parameters,
                              const QString& directory, int showMode, Done done) = 0;
};

Shell& shell();
// Replaces the shell; nullptr restores the real one (xdg-open).
void setShell(Shell* s);

// The se:: code for an exit status of xdg-open (0 is success).
int shellCodeForXdgExit(int exitCode);

// The real shell: checks the file, then runs xdg-open on it and reports its
// exit status, however long it takes. The program may be given for tests; it
// is looked up in PATH.
class XdgOpenShell : public Shell {
public:
    explicit XdgOpenShell(QString program = QStringLiteral("xdg-open"));
    void shellExecute(const QString& verb, const QString& file, const QString& parameters, const QString& directory,
                      int showMode, Done done) override;

private:
    QString m_program;
};

} // namespace platform
