#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Archive making for the unzip tests: real archives through Info-ZIP zip, and
// hostile ones (names zip refuses to store) written with libzip directly.
namespace archivekit {

bool writeFile(const QString& path, const QByteArray& data);
QByteArray readFile(const QString& path);
// Sets a file's modification time (seconds since 1970), without following links.
bool setModified(const QString& path, qint64 seconds);
qint64 modified(const QString& path);

// Runs `zip -q <args>` in `folder`; true when zip succeeded.
bool runZip(const QString& folder, const QStringList& args);

struct RawMember {
    QByteArray name;
    QByteArray data;
    quint32 unixMode = 0; // file type and permissions, e.g. S_IFLNK | 0777; 0 = none recorded
};

// Writes an archive holding the members exactly as named, stored uncompressed.
bool makeRaw(const QString& path, const QList<RawMember>& members, const QByteArray& comment = {});

// Builds the help tree under `folder` ("VN.htm", "VN_files/filelist.xml",
// "VN_files/image001.gif") and packs it into `folder`/`archiveName` with the
// members in that order, the folder "VN_files/" after "VN.htm".
bool makeHelpArchive(const QString& folder, const QString& archiveName);
QByteArray helpPage();
QByteArray helpList();
QByteArray helpImage();

// The names below `folder`, relative, sorted ("a", "a/b.txt").
QStringList tree(const QString& folder);

} // namespace archivekit
