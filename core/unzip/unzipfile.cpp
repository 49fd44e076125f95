#include "core/unzip/unzipfile.h"

#include "core/unzip/cgunzipfiles.h"

namespace MainWin {

qint32 UnZipFile(const QString& zipPath, const QString& targetFolder)
{
    CGUnzipFiles unzip;
    return unzip.Unzip(zipPath, targetFolder);
}

} // namespace MainWin
