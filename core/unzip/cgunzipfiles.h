#pragma once

#include "core/unzip/codemodule.h"

#include <QString>

// The unzip object: holds the unpacking options and unpacks one archive with
// them. One instance per unpacking; the caller creates it, calls Unzip and
// drops it. Booleans are kept as a 16-bit 1 or 0, as the library takes them.
class CGUnzipFiles {
public:
    bool ExtractNewer() const { return isTrue(m_options.ExtractNewer); }
    void setExtractNewer(bool value) { m_options.ExtractNewer = stored(value); }
    bool SpaceToUnderScore() const { return isTrue(m_options.SpaceToUnderScore); }
    void setSpaceToUnderScore(bool value) { m_options.SpaceToUnderScore = stored(value); }
    bool PromptOverwrite() const { return isTrue(m_options.PromptOverwrite); }
    void setPromptOverwrite(bool value) { m_options.PromptOverwrite = stored(value); }
    qint32 MessageLevel() const { return m_options.MessageLevel; }
    void setMessageLevel(qint32 value) { m_options.MessageLevel = value; }
    bool WriteToStdOut() const { return isTrue(m_options.WriteToStdOut); }
    void setWriteToStdOut(bool value) { m_options.WriteToStdOut = stored(value); }
    bool TestZip() const { return isTrue(m_options.TestZip); }
    void setTestZip(bool value) { m_options.TestZip = stored(value); }
    qint32 ExtractList() const { return m_options.ExtractList; }
    void setExtractList(qint32 value) { m_options.ExtractList = value; }
    bool ExtractOnlyNewer() const { return isTrue(m_options.ExtractOnlyNewer); }
    void setExtractOnlyNewer(bool value) { m_options.ExtractOnlyNewer = stored(value); }
    bool DisplayComment() const { return isTrue(m_options.DisplayComment); }
    void setDisplayComment(bool value) { m_options.DisplayComment = stored(value); }
    bool HonorDirectories() const { return isTrue(m_options.HonorDirectories); }
    void setHonorDirectories(bool value) { m_options.HonorDirectories = stored(value); }
    bool OverWriteFiles() const { return isTrue(m_options.OverWriteFiles); }
    void setOverWriteFiles(bool value) { m_options.OverWriteFiles = stored(value); }
    bool ConvertCRtoCRLF() const { return isTrue(m_options.ConvertCRtoCRLF); }
    void setConvertCRtoCRLF(bool value) { m_options.ConvertCRtoCRLF = stored(value); }
    bool Verbose() const { return isTrue(m_options.Verbose); }
    void setVerbose(bool value) { m_options.Verbose = stored(value); }
    bool CaseSensitive() const { return isTrue(m_options.CaseSensitive); }
    void setCaseSensitive(bool value) { m_options.CaseSensitive = stored(value); }
    qint32 Privilege() const { return m_options.Privilege; }
    void setPrivilege(qint32 value) { m_options.Privilege = value; }
    QString ZipFileName() const { return m_zipFileName; }
    void setZipFileName(const QString& value) { m_zipFileName = value; }
    QString ExtractDir() const { return m_extractDir; }
    void setExtractDir(const QString& value) { m_extractDir = value; }

    // Unpacks the archive into the folder (either argument, when not empty,
    // replaces ZipFileName or ExtractDir first) and answers the library's result
    // code: 0 on success, otherwise one of the library's codes.
    qint32 Unzip(const QString& zipFile, const QString& extractDir);

    // The library's printed output during the last unpacking.
    QString GetLastMessage() const;

    // The option values as handed to the library.
    const CodeModule::UnzipOptions& options() const { return m_options; }

private:
    static bool isTrue(qint16 value) { return value == 1; }
    static qint16 stored(bool value) { return value ? 1 : 0; }

    CodeModule::UnzipOptions m_options;
    QString m_zipFileName;
    QString m_extractDir;
};
