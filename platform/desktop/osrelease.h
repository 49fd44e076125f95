#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

namespace platform {

// Reads the text of an os-release file: one KEY=value a line, the value bare
// or in single or double quotes (in double quotes a backslash escapes $ " \ `),
// "#" comment lines and blank lines skipped. Lines that are not an assignment
// to a valid name are skipped; a later assignment of a name replaces an earlier
// one. NUL and other control characters are dropped from values.
QMap<QString, QString> parseOsRelease(const QByteArray& text);

} // namespace platform
