#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace worldtime {

// The links of the tz database's compact source ("tzdata.zi" in the zone
// folder): each line "L TARGET LINK" makes LINK another name of TARGET
// ("L Asia/Kolkata Asia/Calcutta"). Other lines (zones "Z", rules "R",
// continuation lines, comments after '#') are skipped, and so is a link line
// whose names are not plain zone names. Names are taken as written.
class TzLinks {
public:
    // Reads the text of a tzdata.zi file; anything that is not a link line is ignored.
    static TzLinks parse(const QByteArray& text);

    // Adds one link; a name linked to itself, or an empty name, is ignored.
    void addLink(const QString& target, const QString& link);

    // The zone a link name points at (following links of links, at most a few
    // steps, so a loop ends); the name itself when it is not a link.
    QString canonical(const QString& name) const;
    // Every name of the zone `name` belongs to: its canonical name first, then
    // the links to it in alphabetical order.
    QStringList namesOf(const QString& name) const;

    int size() const { return static_cast<int>(m_targetOf.size()); }

private:
    QHash<QString, QString> m_targetOf;    // link -> target
    QHash<QString, QStringList> m_linksTo; // target -> links
};

// Whether text can be a zone name: one to several parts of letters, digits
// and "_+-" joined by '/', no part "." or "..", at most 255 characters.
bool isZoneName(const QString& text);

} // namespace worldtime
