#include "compat/unzip/unzip32.h"
#include "compat/unzip/libzip.h"
#include "compat/unzip/unpacker.h"

#include <cstring>
#include <new>

namespace {

// This library's own release.
constexpr UzpVerNum ownVersion{1, 0, 0, 0};
constexpr UzpVerNum interfaceLevel{5, 4, 0, 0};
constexpr char releaseDate[] = "2025-06-01";

bool collectNames(int count, char** names, std::vector<std::string>& into)
{
    if (count < 0 || (count > 0 && !names))
        return false;
    for (int i = 0; i < count; ++i) {
        if (!names[i])
            return false;
        into.emplace_back(names[i]);
    }
    return true;
}

void clearTotals(USERFUNCTION& callbacks)
{
    callbacks.TotalSizeComp = 0;
    callbacks.TotalSize = 0;
    callbacks.CompFactor = 0;
    callbacks.NumMembers = 0;
    callbacks.cchComment = 0;
}

template <size_t N>
void copyText(char (&field)[N], const char* text)
{
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
}

int unzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL& options, USERFUNCTION& callbacks)
{
    std::vector<std::string> include;
    std::vector<std::string> exclude;
    if (!collectNames(ifnc, ifnv, include) || !collectNames(xfnc, xfnv, exclude))
        return PK_PARAM;
    if (!options.lpszZipFN || !*options.lpszZipFN)
        return PK_PARAM;
    std::string loadError;
    const auto zip = platform::unzip::loadLibZip(loadError);
    if (!zip) {
        platform::unzip::Reporter(callbacks.print, options.fQuiet)
            .line(platform::unzip::Reporter::Problem, "error: " + loadError);
        return PK_BADERR;
    }
    platform::unzip::Unpacker unpacker(*zip, options, callbacks, std::move(include), std::move(exclude));
    return unpacker.run();
}

} // namespace

extern "C" int Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* options, USERFUNCTION* callbacks)
{
    if (!options || !callbacks)
        return PK_PARAM;
    clearTotals(*callbacks);
    // Nothing may unwind into the caller, which may not be C++ at all.
    try {
        return unzip(ifnc, ifnv, xfnc, xfnv, *options, *callbacks);
    } catch (const std::bad_alloc&) {
        return PK_MEM;
    } catch (...) {
        return PK_BADERR;
    }
}

extern "C" unsigned int UzpVersion2(UzpVer2* version)
{
    if (!version || version->structlen < sizeof(UzpVer2))
        return sizeof(UzpVer2);
    version->flag = UZPVER_RELEASE | UZPVER_LIBZIP;
    copyText(version->betalevel, "");
    copyText(version->date, releaseDate);
    std::string loadError;
    const auto zip = platform::unzip::loadLibZip(loadError);
    copyText(version->zlib_version, zip ? zip->version() : "");
    version->unzip = interfaceLevel;
    version->zipinfo = UzpVerNum{0, 0, 0, 0};
    version->os2dll = UzpVerNum{0, 0, 0, 0};
    version->windll = ownVersion;
    return 0;
}
