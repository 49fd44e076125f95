#include "archivekit.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <zip.h>

namespace archivekit {

bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool setModified(const QString& path, qint64 seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

qint64 modified(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return info.st_mtim.tv_sec;
}

bool runZip(const QString& folder, const QStringList& args)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q")} + args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeRaw(const QString& path, const QList<RawMember>& members, const QByteArray& comment)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    bool ok = true;
    for (const RawMember& member : members) {
        zip_source_t* source = zip_source_buffer(archive, member.data.constData(), member.data.size(), 0);
        const zip_int64_t index = source ? zip_file_add(archive, member.name.constData(), source, ZIP_FL_ENC_UTF_8)
                                         : -1;
        if (index < 0) {
            zip_source_free(source);
            ok = false;
            break;
        }
        ok = zip_set_file_compression(archive, index, ZIP_CM_STORE, 0) == 0;
        if (member.unixMode != 0)
            ok = ok && zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX, member.unixMode << 16) == 0;
    }
    if (ok && !comment.isEmpty())
        ok = zip_set_archive_comment(archive, comment.constData(), static_cast<zip_uint16_t>(comment.size())) == 0;
    if (!ok) {
        zip_discard(archive);
        return false;
    }
    return zip_close(archive) == 0;
}

QByteArray helpPage()
{
    return QByteArrayLiteral("<html><body>Vantora help\n<img src=\"VN_files/image001.gif\">\n</body></html>\n");
}

QByteArray helpList() { return QByteArrayLiteral("<xml>\n<file href=\"image001.gif\"/>\n</xml>\n"); }

QByteArray helpImage()
{
    QByteArray image("GIF89a", 6);
    for (int i = 0; i < 3000; ++i)
        image.append(static_cast<char>((i * 7) % 256));
    return image;
}

bool makeHelpArchive(const QString& folder, const QString& archiveName)
{
    return writeFile(folder + "/VN.htm", helpPage()) && writeFile(folder + "/VN_files/filelist.xml", helpList())
        && writeFile(folder + "/VN_files/image001.gif", helpImage())
        && runZip(folder, {archiveName, "VN.htm", "VN_files/", "VN_files/filelist.xml", "VN_files/image001.gif"});
}

QStringList tree(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(folder).relativeFilePath(it.next()));
    names.sort();
    return names;
}

} // namespace archivekit
