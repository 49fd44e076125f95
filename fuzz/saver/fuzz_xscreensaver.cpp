// Reads and rewrites arbitrary bytes as XScreenSaver preferences: nothing
// crashes, every change lands, and the bytes outside the changed lines stay
// exactly as they were.
#include "platform/system/xscreensaverfile.h"

#include <QStringList>

#include <cstdlib>

using namespace platform::xss;

namespace {

const QString kProgram = QStringLiteral("/h o'me/.local/share/Vantora/drive_c/Windows/VN.scr");

void check(bool ok)
{
    if (!ok)
        std::abort();
}

bool runsProgram(const ProgramEntry& e) { return firstShellWord(e.command) == kProgram; }

// Everything before `from` and after `to` (counted from the end) is the same.
void keptOutside(const QByteArray& before, const QByteArray& after, qsizetype from, qsizetype to)
{
    check(after.left(from) == before.left(from));
    const qsizetype tail = before.size() - to;
    check(after.size() >= from + tail);
    check(after.right(tail) == before.right(tail));
}

void setValueKeepsTheRest(const QByteArray& data, const QByteArray& name, const QString& value)
{
    PreferencesFile file(data);
    const auto span = file.span(name);
    file.setValue(name, value);
    check(PreferencesFile(file.bytes()).value(name) == value.trimmed());
    if (span)
        keptOutside(data, file.bytes(), span->first, span->second);
    else
        check(file.bytes().startsWith(data));
}

void registeringKeepsTheRest(const QByteArray& data)
{
    PreferencesFile file(data);
    const auto span = file.span("programs");
    QList<QString> others;
    for (const ProgramEntry& e : file.programs())
        if (!runsProgram(e))
            others.append(e.command);
    const QString entry = QStringLiteral("\"VN LED Clock\" %1 /s").arg(shellQuote(kProgram));
    file.putProgramFirst(entry, runsProgram);

    const PreferencesFile again(file.bytes());
    const QList<ProgramEntry> programs = again.programs();
    check(!programs.isEmpty());
    check(programs[0].name == QLatin1String("VN LED Clock"));
    check(runsProgram(programs[0]));
    QList<QString> rest;
    for (qsizetype i = 1; i < programs.size(); ++i) {
        check(!runsProgram(programs[i]));
        rest.append(programs[i].command);
    }
    check(rest == others);
    if (span)
        keptOutside(data, file.bytes(), span->first, span->second);
    else
        check(file.bytes().startsWith(data));

    // A second registration changes nothing.
    PreferencesFile twice(file.bytes());
    twice.putProgramFirst(entry, runsProgram);
    check(twice.bytes() == file.bytes());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    const PreferencesFile file(data);
    for (const QByteArray& name :
         {QByteArray("mode"), QByteArray("selected"), QByteArray("timeout"), QByteArray("lock")})
        if (const auto value = file.value(name)) {
            parseTime(*value);
            parseBoolean(*value);
            firstShellWord(*value);
        }
    for (const ProgramEntry& e : file.programs())
        firstShellWord(e.command);

    setValueKeepsTheRest(data, "mode", QStringLiteral("one"));
    setValueKeepsTheRest(data, "timeout", QStringLiteral("0:15:00"));
    setValueKeepsTheRest(data, "lock", QStringLiteral("True"));
    registeringKeepsTheRest(data);
    return 0;
}
