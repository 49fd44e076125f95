#include "platform/desktop/shell.h"

#include "platform/base/runningstep.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
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
    case 2: return se::FileNotFound;           // a file named on its command line does not exist
    case 3: return se::NoAssociation;          // no program found to open it
    case 4: return se::InvalidAssociation;     // the program it chose failed
    default: return se::Unknown;               // 1: bad command line; anything else
    }
}

XdgOpenShell::XdgOpenShell(QString program, int waitMs) : m_program(std::move(program)), m_waitMs(waitMs) {}

int XdgOpenShell::shellExecute(const QString& verb, const QString& file, const QString& parameters,
                               const QString& directory, int showMode)
{
    Q_UNUSED(parameters);
    Q_UNUSED(showMode);
    if (verb.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0 || file.isEmpty())
        return se::NoAssociation;
    QString target = file;
    if (!isUrl(file)) {
        target = QDir::isAbsolutePath(file) || directory.isEmpty() ? file : QDir(directory).filePath(file);
        const int checked = checkLocalFile(target);
        if (checked != se::Success)
            return checked;
        target = QFileInfo(target).absoluteFilePath();
    }

    auto* process = new QProcess(QCoreApplication::instance());
    if (!directory.isEmpty() && QDir(directory).exists())
        process->setWorkingDirectory(directory);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());

    int code = se::Success;
    bool done = false;
    QEventLoop loop;
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            code = se::NoAssociation; // no opener on this system
            done = true;
            loop.quit();
        }
    });
    QObject::connect(process, &QProcess::finished, &loop, [&](int exitCode, QProcess::ExitStatus status) {
        code = status == QProcess::NormalExit ? shellCodeForXdgExit(exitCode) : se::Unknown;
        done = true;
        loop.quit();
    });
    process->start(m_program, {target});
    if (!done) {
        // Some desktops keep xdg-open running as long as the browser it
        // started: a program that is still running by then has opened the page.
        QTimer::singleShot(m_waitMs, &loop, &QEventLoop::quit);
        const RunningStep step;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    QObject::disconnect(process, nullptr, &loop, nullptr);
    if (done || process->state() == QProcess::NotRunning)
        process->deleteLater();
    else
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return code;
}

int RecordingShell::shellExecute(const QString& verb, const QString& file, const QString& parameters,
                                 const QString& directory, int showMode)
{
    m_calls.append({verb, file, parameters, directory, showMode});
    return m_answers.isEmpty() ? se::Success : m_answers.takeFirst();
}

} // namespace platform
