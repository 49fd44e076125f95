#include "core/unzip/cgunzipfiles.h"

qint32 CGUnzipFiles::Unzip(const QString& zipFile, const QString& extractDir)
{
    if (!zipFile.isEmpty())
        m_zipFileName = zipFile;
    if (!extractDir.isEmpty())
        m_extractDir = extractDir;
    return CodeModule::UnzipCall(m_zipFileName, m_extractDir, m_options);
}

QString CGUnzipFiles::GetLastMessage() const { return CodeModule::UnzipMsg(); }
