#include "core/unzip/codemodule.h"

#include "platform/base/dialogs.h"

#include <QByteArray>
#include <QFile>

#include <cstring>

namespace CodeModule {
namespace {

const QString questionTitle = QStringLiteral("Vantora");

struct ModuleState {
    QString unzipMsg;
    QString accumulator;
    qint16 listCount = 0;
    QString listing;
    qint16 passwordGivenUp = 0;
};

ModuleState& state()
{
    static ModuleState s;
    return s;
}

void resetState() { state() = ModuleState{}; }

// A property's 16-bit value widened with its sign.
int32_t widened(qint32 value) { return static_cast<qint16>(value); }

DCL optionRecord(const UnzipOptions& o, QByteArray& zipFile, QByteArray& folder)
{
    DCL dcl{};
    dcl.ExtractOnlyNewer = widened(o.ExtractOnlyNewer);
    dcl.SpaceToUnderscore = widened(o.SpaceToUnderScore);
    dcl.PromptToOverwrite = widened(o.PromptOverwrite);
    dcl.fQuiet = widened(o.MessageLevel);
    dcl.ncflag = widened(o.WriteToStdOut);
    dcl.ntflag = widened(o.TestZip);
    dcl.nvflag = widened(o.ExtractList);
    dcl.nfflag = widened(o.ExtractNewer);
    dcl.nzflag = widened(o.DisplayComment);
    dcl.ndflag = widened(o.HonorDirectories);
    dcl.noflag = widened(o.OverWriteFiles);
    dcl.naflag = widened(o.ConvertCRtoCRLF);
    dcl.nZIflag = widened(o.Verbose);
    dcl.C_flag = widened(o.CaseSensitive);
    dcl.fPrivilege = widened(o.Privilege);
    dcl.lpszZipFN = zipFile.data();
    dcl.lpszExtractDir = folder.data();
    return dcl;
}

USERFUNCTION callbackRecord()
{
    USERFUNCTION callbacks{};
    callbacks.print = FnPtr(&UnzipPrint);
    callbacks.sound = nullptr;
    callbacks.replace = FnPtr(&UnzipReplace);
    callbacks.password = FnPtr(&UnzipPassword);
    callbacks.applicationMessage = FnPtr(&UnzipListLine);
    callbacks.service = FnPtr(&UnzipService);
    return callbacks;
}

template <size_t N>
void blankText(char (&field)[N])
{
    std::memset(field, ' ', N - 1);
    field[N - 1] = '\0';
}

UzpVer2 versionRecord()
{
    UzpVer2 version{};
    version.structlen = 64;
    blankText(version.betalevel);
    blankText(version.date);
    blankText(version.zlib_version);
    return version;
}

QString textOf(const char* buffer, size_t limit)
{
    if (!buffer)
        return QString();
    return QString::fromUtf8(buffer, static_cast<qsizetype>(::strnlen(buffer, limit)));
}

QString textOf(const char* buffer) { return buffer ? QString::fromUtf8(buffer) : QString(); }

} // namespace

qint32 UnzipCall(const QString& zipFile, const QString& folder, const UnzipOptions& options)
{
    resetState();
    QByteArray zipName = QFile::encodeName(zipFile);
    QByteArray folderName = QFile::encodeName(folder);
    DCL dcl = optionRecord(options, zipName, folderName);
    USERFUNCTION callbacks = callbackRecord();
    UzpVer2 version = versionRecord();
    UzpVersion2(&version);
    return Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &dcl, &callbacks);
}

int UnzipPrint(char* buffer, unsigned long size)
{
    QString piece = textOf(buffer, size);
    if (piece.startsWith(QLatin1Char('\n')))
        piece = QStringLiteral("\r\n");
    ModuleState& s = state();
    s.accumulator += piece;
    s.unzipMsg = s.accumulator;
    return 0;
}

int UnzipReplace(char* fileName)
{
    const int answer = platform::dialogs().msgBox(QStringLiteral("Overwrite ") + textOf(fileName) + QLatin1Char('?'),
                                                  platform::mb::YesNoCancel + platform::mb::Exclamation, questionTitle);
    if (answer == platform::mb::Yes)
        return IDM_REPLACE_YES;
    if (answer == platform::mb::No)
        return IDM_REPLACE_NO;
    return IDM_REPLACE_NONE;
}

int UnzipPassword(char* buffer, int size, const char* /*prompt*/, const char* /*name*/)
{
    ModuleState& s = state();
    if (s.passwordGivenUp == 1)
        return UZ_PASSWORD_SKIP;
    const QString answer = platform::dialogs().inputBox(QStringLiteral("Please Enter The Password!"), questionTitle,
                                                        QString());
    if (answer.isEmpty()) {
        s.passwordGivenUp = 1;
        return UZ_PASSWORD_SKIP;
    }
    if (!buffer || size <= 0)
        return UZ_PASSWORD_SKIP;
    const QByteArray bytes = answer.toUtf8();
    const auto room = static_cast<qsizetype>(size - 1);
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(qMin(bytes.size(), room)));
    return UZ_PASSWORD_GIVEN;
}

void UnzipListLine(unsigned long size, unsigned long compressedSize, unsigned ratio, unsigned month, unsigned day,
                   unsigned year, unsigned hour, unsigned minute, unsigned long crc, int encrypted, const char* method,
                   const char* name)
{
    ModuleState& s = state();
    if (s.listCount == 0)
        s.listing = QStringLiteral(" Length   Method     Size  Ratio   Date       Time   CRC-32    Name\r\n"
                                   "--------  ------  -------- -----  ----------  -----  --------  ----\r\n");
    s.listing += QStringLiteral("%1  %2 %3  %4%  %5-%6-%7  %8:%9  %10 %11%12\r\n")
                     .arg(size, 8)
                     .arg(textOf(method), -6)
                     .arg(compressedSize, 9)
                     .arg(ratio, 3)
                     .arg(month, 2, 10, QLatin1Char('0'))
                     .arg(day, 2, 10, QLatin1Char('0'))
                     .arg(year, 4, 10, QLatin1Char('0'))
                     .arg(hour, 2, 10, QLatin1Char('0'))
                     .arg(minute, 2, 10, QLatin1Char('0'))
                     .arg(crc, 8, 16, QLatin1Char('0'))
                     .arg(encrypted ? QLatin1Char('*') : QLatin1Char(' '))
                     .arg(textOf(name));
    ++s.listCount;
}

int UnzipService(const char* /*name*/, unsigned long /*size*/) { return 0; }

QString UnzipMsg() { return state().unzipMsg; }

QString ListingText() { return state().listing; }

qint16 ListingCount() { return state().listCount; }

} // namespace CodeModule
