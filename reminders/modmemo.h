#pragma once

#include "reminders/memofile.h"

#include <QList>
#include <QString>

#include <functional>

// The reminder store: the program-wide list of waiting reminders and the two
// files beside the program, "VNMemo.log" (the waiting reminders) and
// "VNTemp.log" (reminders whose notice opened and was not yet answered).
//
// Every change locks both files against other copies of the program, reads the
// file again, applies the change and replaces the whole file atomically. When
// a change fails (a full disk, no write access) the file stays as it was, the
// list in memory is read back from it and the result says why. A file that did
// not read cleanly is copied to "<name>.damaged-<yyyy-mm-dd>" when it is read,
// and never rewritten without that copy, so nothing the reader could not
// understand is lost.
//
// The list in memory always equals "VNMemo.log" as last read: it changes only
// through the operations below.
namespace ModMemo {

struct Result {
    bool ok = true;
    QString error; // a sentence for the user when !ok
    explicit operator bool() const { return ok; }
};

// Sets the folder (the program folder) and the two file names.
void MemoInit();
// Uses another folder (tests, benchmarks).
void MemoInit(const QString& folder);

QString memoFilePath();
QString tempFilePath();

// The waiting reminders, sorted by day and then time (index 0 is the first),
// however the file orders them.
const QList<MemoRec>& Memos();
int MemoCount();

// Reloads the list from "VNMemo.log", creating an empty file when there is
// none. Reading is skipped when the file has not changed since the last load.
// False when the file could not be read (the list is then empty).
bool MemoLoad();
// Whether the last load found the file damaged, and what was wrong.
bool lastLoadWasClean();
QString lastLoadProblem();

// A reminder file that did not read cleanly, and the copy of it as it was,
// made as soon as the damage is seen (empty when it could not be made: then
// the file is never rewritten and `problem` says why).
struct Damage {
    QString file;
    QString copy;
    QString problem;
};
// The damaged files met since MemoInit and not yet taken, each version once.
QList<Damage> takeDamage();

// Start-up repair of what a killed copy of the program left: temporaries of a
// write cut short, and reminders found in both files (a move to the pending
// notices cut short) leave "VNMemo.log", so each is in exactly one file.
void MemoRecover();

// Adds one reminder (its message stripped of double quotes).
Result MemoAdd(const QDate& date, const QString& time, const QString& text);
// Removes the reminder at `index` (1-based, as in Memos()[index - 1]): the one
// with its day, time and message, wherever the file now holds it.
Result MemoDelete(int index);

// Adds one record to "VNTemp.log".
Result MemoAppend(const QDate& date, const QString& time, const QString& text);
// Removes from "VNTemp.log" every record equal to the three values; leaves the
// file untouched when none is.
Result MemoDeleteMatch(const QDate& date, const QString& time, const QString& text);
// The records of "VNTemp.log" (created empty when missing).
QList<MemoRec> pendingMemos();

// Changes "VNMemo.log" under the lock: `change` gets the file's records as
// read now and edits them; the result is sorted and written when it differs.
Result changeMemos(const std::function<void(QList<MemoRec>&)>& change);

// Where a due reminder is after moveToPending.
enum class Move {
    Moved,        // in "VNTemp.log" only
    Gone,         // no longer in "VNMemo.log" (another copy took it): nothing done
    StayedInMemo, // could not be moved; still in "VNMemo.log" (see error)
    InBoth        // added to "VNTemp.log" but could not leave "VNMemo.log"
};
struct MoveResult {
    Move where = Move::Moved;
    QString error;
};
// Moves a due reminder from "VNMemo.log" to "VNTemp.log": the record is added
// to "VNTemp.log" first and leaves "VNMemo.log" only after that, so a crash in
// between leaves it in both files, never in neither.
MoveResult moveToPending(const MemoRec& rec);

// Removes one record equal to `rec` from a list; false when there is none.
bool removeOneMemo(QList<MemoRec>& records, const MemoRec& rec);

} // namespace ModMemo
