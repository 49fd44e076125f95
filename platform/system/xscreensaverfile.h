#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The preferences file of XScreenSaver (~/.xscreensaver): X resource lines
// "name:<blanks>value", a line ending in a backslash continuing on the next,
// "\n" inside a value standing for a line break, comments starting with '#'
// or '!'. The "programs" value holds one command per line, each line of the
// file ending in the two escapes "\n" and backslash-newline:
//
//   programs:  <backslash>
//       maze --root  <\n, backslash>
//   - GL:  superquadrics --root  <\n, backslash>
//     "VN LED Clock" '/home/u/VN.scr' /s  <\n, backslash>
//
// A leading '-' disables an entry, "Word:" names a visual, a leading quoted
// text is a display name, the rest is an sh command.
//
// Changes touch only the bytes of the lines they change: every other byte of
// the file, comments and unknown lines included, stays as it was.
namespace platform::xss {

struct ProgramEntry {
    bool enabled = true;
    QString visual;  // "GL", or empty
    QString name;    // display name, or empty
    QString command; // the sh command
};

// One line of the programs list, read.
ProgramEntry parseProgramEntry(const QString& line);

// The first word of an sh command, with its quotes and escapes removed
// ("'/a b/VN.scr' /s" -> "/a b/VN.scr"); empty when there is none.
QString firstShellWord(const QString& command);
// Quotes text as one sh word: '...' with each ' written as '\''.
QString shellQuote(const QString& text);

// A time value: "H:MM:SS", "M:SS" or a bare number of minutes; the seconds.
// Nothing for anything else.
std::optional<qint64> parseTime(const QString& text);
// Seconds as "H:MM:SS" ("0:15:00").
QString timeText(qint64 seconds);
// "True"/"False" (also yes/no, on/off, 1/0, any case); nothing for anything else.
std::optional<bool> parseBoolean(const QString& text);

class PreferencesFile {
public:
    explicit PreferencesFile(QByteArray bytes = {});

    const QByteArray& bytes() const { return m_bytes; }

    // The value of the last line that sets name, unescaped, blanks trimmed;
    // nothing when no line sets it.
    std::optional<QString> value(const QByteArray& name) const;
    // Replaces the value of that line (or adds a line at the end). Line breaks
    // and backslashes in value are written escaped.
    void setValue(const QByteArray& name, const QString& value);

    // The entries of the programs list, blank entries left out.
    QList<ProgramEntry> programs() const;
    // Puts entryText first in the programs list and removes every other entry
    // for which isSame answers true. entryText must not hold a line break.
    void putProgramFirst(const QString& entryText, const std::function<bool(const ProgramEntry&)>& isSame);

    // Where the last line setting name begins and ends (its final line break
    // excluded), for tests that check nothing else changed; nothing when missing.
    std::optional<std::pair<qsizetype, qsizetype>> span(const QByteArray& name) const;

private:
    struct Record {
        QByteArray name;
        qsizetype start = 0;      // first byte of the line
        qsizetype valueStart = 0; // first byte of the value
        qsizetype end = 0;        // the line break that ends the record, or the file's end
    };
    // One entry of the programs list: its decoded text and where its text
    // begins and ends in the file; `after` is just past its "\n" separator
    // (equal to bodyEnd when it has none).
    struct Entry {
        QString text;
        qsizetype bodyStart = 0;
        qsizetype bodyEnd = 0;
        qsizetype after = 0;
    };

    void parse();
    const Record* find(const QByteArray& name) const;
    QList<Entry> entriesOf(const Record& record) const;
    void replace(qsizetype from, qsizetype to, const QByteArray& with);
    void appendLine(const QByteArray& line);

    QByteArray m_bytes;
    QList<Record> m_records;
};

} // namespace platform::xss
