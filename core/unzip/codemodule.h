#pragma once

#include "compat/unzip/unzip32.h"

#include <QString>
#include <QtGlobal>

// The program's side of the unzip library: fills its option and call-back
// records, calls it, and answers its call-backs. The module state below is
// shared by one call and its call-backs and reset at the start of every call.
namespace CodeModule {

// The options as the unzip object keeps them: Booleans as a 16-bit 1 or 0.
struct UnzipOptions {
    qint16 ExtractNewer = 0;
    qint16 SpaceToUnderScore = 0;
    qint16 PromptOverwrite = 0;
    qint32 MessageLevel = 2;
    qint16 WriteToStdOut = 0;
    qint16 TestZip = 0;
    qint32 ExtractList = 0;
    qint16 ExtractOnlyNewer = 0;
    qint16 DisplayComment = 0;
    qint16 HonorDirectories = 1;
    qint16 OverWriteFiles = 1;
    qint16 ConvertCRtoCRLF = 0;
    qint16 Verbose = 0;
    qint16 CaseSensitive = 1;
    qint32 Privilege = 0;
};

// Unpacks `zipFile` into `folder` under the options; answers the library's
// result code.
qint32 UnzipCall(const QString& zipFile, const QString& folder, const UnzipOptions& options);

// Hands the address of a module procedure to the library.
template <typename Procedure>
constexpr Procedure FnPtr(Procedure address)
{
    return address;
}

// Call-backs.
int UnzipPrint(char* buffer, unsigned long size);
int UnzipReplace(char* fileName);
int UnzipPassword(char* buffer, int size, const char* prompt, const char* name);
void UnzipListLine(unsigned long size, unsigned long compressedSize, unsigned ratio, unsigned month, unsigned day,
                   unsigned year, unsigned hour, unsigned minute, unsigned long crc, int encrypted, const char* method,
                   const char* name);
int UnzipService(const char* name, unsigned long size);

// The library's printed output during the last call (line ends CR LF).
QString UnzipMsg();
// The listing the last call in list mode produced, and its member count.
QString ListingText();
qint16 ListingCount();

} // namespace CodeModule
