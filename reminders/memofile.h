#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

// The reminder files "VNMemo.log" and "VNTemp.log": plain functions that read
// and write their bytes, with no file access of their own (QtCore only).
//
// Each reminder is three lines ending in CR LF:
//   #2026-12-10#
//   "09:00:00"
//   "Buy milk, eggs
//   bread"
// The message stands between double quotes without any escaping, so a message
// never holds a double quote; a line break inside it is LF in memory and
// CR LF in the file. An empty store is an empty file. Files are written as
// UTF-8; a file that is not valid UTF-8 is read as Windows-1252.

// One reminder: the day, the time of day as exactly 8 characters "hh:mm:ss",
// and the message.
struct MemoRec {
    QDate MemDate;
    QString MemTime;
    QString MemText;

    friend bool operator==(const MemoRec& a, const MemoRec& b)
    {
        return a.MemDate == b.MemDate && a.MemTime == b.MemTime && a.MemText == b.MemText;
    }
    friend bool operator!=(const MemoRec& a, const MemoRec& b) { return !(a == b); }
};

// What reading a file gave: every complete record, and whether the whole file
// read cleanly. A file that did not is kept beside itself before it is
// rewritten, since what could not be read would otherwise be lost.
struct MemoParse {
    QList<MemoRec> records;
    bool clean = true;
    // The first problem met, for the user ("line 7: not a date"); empty when clean.
    QString problem;
};

// The time text as the 8-character field holds it: cut or padded with blanks.
QString fixedMemoTime(const QString& time);

// The message as it can be stored: without double quotes, line breaks as LF.
QString storableMemoText(const QString& text);

// A record with its time fixed to 8 characters and its message storable.
MemoRec normalisedMemo(const MemoRec& rec);

// Whether the writer keeps the record: a valid day, a time and a message.
bool isStorableMemo(const MemoRec& rec);

// Reads the bytes of a reminder file. Also accepts LF-only line ends, a
// missing final line end, blank lines between and after records, items
// separated by commas, and a date item with a time of day
// ("#2026-12-10 08:00:00#", the day is kept). Incomplete or unreadable
// records, and records without a message (which could never be stored), are
// skipped and make the file unclean; reading goes on at the next line that
// starts a record.
MemoParse parseMemoFile(const QByteArray& bytes);

// The bytes of a reminder file holding the storable ones of `records`, in
// their order, normalised as normalisedMemo does.
QByteArray writeMemoFile(const QList<MemoRec>& records);

// The bytes of one record (the same as writeMemoFile of that record alone).
QByteArray writeMemoRecord(const MemoRec& rec);

// Sorts by day, then by time text (character codes), keeping the order of
// records equal in both.
void sortMemos(QList<MemoRec>& records);

// The text decoding the reader uses: UTF-8 when the bytes are valid UTF-8
// (a leading byte-order mark dropped), else Windows-1252.
QString decodeMemoBytes(const QByteArray& bytes);
