#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The shared station list: text lines in pairs, the station's name and then its
// stream address.
struct OnlineStation {
    QString name;
    QString url;
    bool operator==(const OnlineStation&) const = default;
};

// The file's text: UTF-8 when it is valid UTF-8, else Windows-1252 (the list is
// edited on Windows). A leading byte-order mark is dropped.
QString decodeListText(const QByteArray& bytes);

// The lines of a text split at CR LF, CR and LF, each kept whole (no trimming).
// A line end at the very end of the text starts no further line.
QStringList splitTextLines(const QString& text);

// The pairs of the list. A last name without its address line is dropped.
QList<OnlineStation> parseStationList(const QByteArray& bytes);
