#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The result of comparing the online version with the running one.
namespace verstate {
constexpr qint16 Same = 0;
constexpr qint16 Newer = 1;
constexpr qint16 Older = 2;
constexpr qint16 EmptyLine = 4;
} // namespace verstate

struct ProgramVersion {
    qint64 major = 0;
    qint64 minor = 0;
    qint64 revision = 0;
};

// The first line of a downloaded text file: a leading UTF-8 byte-order mark is
// dropped and the line ends at CR or LF.
QString firstTextLine(const QByteArray& bytes);

// The version file: "major.minor.revision" on its first line and the SHA-256
// of the updater (64 hexadecimal digits) on its second. `sha256` is "" when the
// second line is missing or is not such a digest.
struct VersionFile {
    QString versionLine;
    QString sha256; // lower case
};
VersionFile readVersionFile(const QByteArray& bytes);

// The leading number of a text, as the runtime's Val reads it: blanks skipped,
// an optional sign, decimal digits; anything after them ignored; no digits is 0.
qint64 leadingNumber(QStringView text);

// Compares "major.minor.revision" with the running version, part by part as
// numbers: verstate::Newer, Older or Same. A text without two "." is not a
// version text (nullopt).
std::optional<qint16> CmpVersion(const QString& text, const ProgramVersion& running);
