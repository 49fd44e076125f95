// The archive member name rules: no name accepted as safe may reach outside the
// extract folder, and wildcard matching ends for any pattern.
#include "compat/unzip/namerules.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void checkSafeParts(const platform::unzip::MemberPath& path)
{
    if (!path.safe)
        return;
    for (const std::string& part : path.parts) {
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos
            || part.find('\\') != std::string::npos || part.find('\0') != std::string::npos)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const platform::unzip::MemberPath path = platform::unzip::checkMemberPath(input);
    checkSafeParts(path);
    for (bool keep : {true, false})
        for (bool underscore : {true, false})
            for (const std::string& part : platform::unzip::outputParts(path, keep, underscore))
                if (path.safe && (part.empty() || part == ".."))
                    std::abort();

    // The first line is a pattern, the rest a name.
    const size_t eol = input.find('\n');
    if (eol != std::string::npos) {
        const std::string pattern = input.substr(0, eol);
        const std::string name = input.substr(eol + 1);
        const bool sensitive = platform::unzip::wildcardMatch(pattern, name, true);
        const bool insensitive = platform::unzip::wildcardMatch(pattern, name, false);
        if (sensitive && !insensitive)
            std::abort();
        if (!platform::unzip::wildcardMatch("*", name, true))
            std::abort();
        if (name.find_first_of("*?") == std::string::npos && !platform::unzip::wildcardMatch(name, name, true))
            std::abort();
    }
    return 0;
}
