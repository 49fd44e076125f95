#pragma once

// The radio window's plain rules: volume display, text cutting, the folder list,
// the message line's scrolling and the information line's cycle. No widgets here.

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

namespace radiologic {

// Twips of the volume and reception bars' background.
constexpr int BarTwips = 690;

// What the volume bar shows for a volume in hundredths of a decibel: the percent
// of its tip and the fill's width in twips: 0 gives 100 %, -2410 gives 66 %,
// -4820 and anything quieter (down to silence at -10000) 0 % and an empty bar.
struct VolumeDisplay {
    int percent = 0;
    int barTwips = 0;
};
VolumeDisplay volumeDisplay(qint32 volume);
// "Volume 66% - Up and Down arrows to modify".
QString volumeTip(const VolumeDisplay& shown);

// Reception bar fill for a quality in percent (clamped to 0-100).
int receptionBarTwips(qint32 quality);

// The text cut to `length` characters followed by "..." when it is longer.
QString cutText(const QString& text, int length);

// The MP3 files of a folder as its file list shows them: names only, "*.mp3" in
// any case, sorted by name ignoring case. A missing folder gives an empty list.
QStringList mp3Files(const QString& folder);
// The full path of a folder entry, with or without a separator at the folder's end.
QString entryPath(const QString& folder, const QString& entry);

// The message line: a message entering a 40-character field from the right.
constexpr int MarqueeField = 40;
// The line after `step` ticks (1 = the first character has entered).
QString marqueeFrame(const QString& message, int step);

// The information line.
struct InfoLine {
    bool show = false; // false: the line keeps what it shows
    QString text;
    bool dateColour = false; // the date in red; other texts in light grey
};
// Media information numbers shown in turn, for steps 1 to 12.
const QList<qint32>& mediaInfoOrder();
// Advances `step` by one tick of the media cycle: items by number from `item`
// (empty ones skipped within the same tick), the date at step 13, then back to 0.
InfoLine mediaInfoTick(int& step, const std::function<QString(qint32)>& item, const QDate& today);
// Advances `step` by one tick of the credits cycle: the lines given, then the date.
InfoLine creditsTick(int& step, const QStringList& credits, const QDate& today);
// The date as the information line shows it: "Wednesday 9 Dec 2026".
QString infoDate(const QDate& today);

// The on-air picture's blink while buffering: 3 -> 1, 1 or 2 -> 3.
int nextOnAirPicture(int shown);
// The connection picture's steps while playing: 1..5 -> next, 6 -> 3.
int nextConnectionPicture(int shown);

// The display parts the on-air picture cycles: control bar (22), information
// panel (23), status line (24), position slider (27).
struct DisplayParts {
    bool controls = false;
    bool display = false;
    bool statusBar = false;
    bool tracker = false;
    bool operator==(const DisplayParts&) const = default;
};
DisplayParts cycleDisplay(DisplayParts parts);

} // namespace radiologic
