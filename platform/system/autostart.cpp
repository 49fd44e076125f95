#include "platform/system/autostart.h"

#include "platform/base/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace platform {
namespace {

// Characters that make an Exec argument need quotes.
const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
// Characters escaped with a backslash inside a quoted Exec argument.
const QString kEscapedInQuotes = QStringLiteral("\"`$\\");

QString quotedArgument(const QString& argument)
{
    const bool needsQuotes = argument.isEmpty()
        || std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return kReserved.contains(c); });
    if (!needsQuotes)
        return argument;
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (kEscapedInQuotes.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

// The escapes every string value of a desktop entry goes through.
QString escapedString(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

QByteArray entryText(const QString& programPath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Vantora\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(desktopExecArgument(programPath), QStringLiteral(VANTORA_APP_ID))
        .toUtf8();
}

} // namespace

QString autostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/vantora.desktop");
}

QString desktopExecArgument(const QString& argument)
{
    QString quoted = quotedArgument(argument);
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    return escapedString(quoted);
}

bool syncAutostartEntry(const QString& programPath)
{
    const QString path = autostartEntryPath();
    const QString program = programPath.trimmed();
    if (program.isEmpty())
        return !QFileInfo::exists(path) || QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFileAtomically(path, entryText(program)).ok;
}

} // namespace platform
