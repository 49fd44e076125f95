#include "compat/win32/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace platform {
namespace {

XdgOpenShell g_xdgShell;
Shell* g_shell = &g_xdgShell;

bool isUrl(const QString& file)
{
    const QUrl url(file, QUrl::StrictMode);
    return url.isValid() && url.scheme().size() > 1 && !url.scheme().contains(QLatin1Char('/'));
}

// What can be told about a local file before any program is asked.
int checkLocalFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.dir().exists())
        return se::PathNotFound;
    if (!info.exists())
        return se::FileNotFound;
    if (!info.isReadable())
        return se::AccessDenied;
    return se::Success;
}

} // namespace

Shell& shell() { return *g_shell; }

void setShell(Shell* s) { g_shell = s ? s : &g_xdgShell; }

int shellCodeForXdgExit(int exitCode)
{
    switch (exitCode) {
    case 0: return se::Success;
    case 2: return se::FileNotFound;       // a file named on its command line does not exist
    case 3: return se::NoAssociation;      // no program found to open it
    case 4: return se::InvalidAssociation; // the program it chose failed
    default: return se::Unknown;           // 1: bad command line; anything else
    }
}

XdgOpenShell::XdgOpenShell(QString program) : m_program(std::move(program)) {}

void XdgOpenShell::shellExecute(const QString& verb, const QString& file, const QString& parameters,
                                const QString& directory, int showMode, Done done)
{
    Q_UNUSED(parameters);
    Q_UNUSED(showMode);
    if (verb.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0 || file.isEmpty()) {
        done(se::NoAssociation);
        return;
    }
    QString target = file;
    if (!isUrl(file)) {
        target = QDir::isAbsolutePath(file) || directory.isEmpty() ? file : QDir(directory).filePath(file);
        const int checked = checkLocalFile(target);
        if (checked != se::Success) {
            done(checked);
            return;
        }
        target = QFileInfo(target).absoluteFilePath();
    }

    // Without a browser xdg-open may take seconds to give up: its exit status
    // is the answer, whenever it comes. An opener that stays with the browser
    // it started answers when the browser ends.
    auto* process = new QProcess(QCoreApplication::instance());
    if (!directory.isEmpty() && QDir(directory).exists())
        process->setWorkingDirectory(directory);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    auto answer = [process, done = std::move(done)](int code) {
        process->disconnect();
        process->deleteLater();
        done(code);
    };
    QObject::connect(process, &QProcess::errorOccurred, process, [answer](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            answer(se::NoAssociation); // no opener on this system
    });
    QObject::connect(process, &QProcess::finished, process, [answer](int exitCode, QProcess::ExitStatus status) {
        answer(status == QProcess::NormalExit ? shellCodeForXdgExit(exitCode) : se::Unknown);
    });
    process->start(m_program, {target});
}

} // namespace platform
