#include "compat/unzip/namerules.h"

#include <algorithm>
#include <cctype>

namespace platform::unzip {
namespace {

bool sameChar(char a, char b, bool caseSensitive)
{
    if (caseSensitive)
        return a == b;
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool hasDriveLetter(const std::string& name)
{
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

std::vector<std::string> splitName(const std::string& name)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : name) {
        if (c == '/' || c == '\\') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

} // namespace

bool wildcardMatch(const std::string& pattern, const std::string& name, bool caseSensitive)
{
    // Greedy scan that backs up to the last '*' on a mismatch.
    size_t p = 0, n = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || sameChar(pattern[p], name[n], caseSensitive))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

MemberPath checkMemberPath(const std::string& name)
{
    MemberPath result;
    if (name.empty()) {
        result.refusal = "empty name";
        return result;
    }
    if (name[0] == '/' || name[0] == '\\') {
        result.refusal = "absolute path";
        return result;
    }
    if (hasDriveLetter(name)) {
        result.refusal = "drive letter";
        return result;
    }
    if (name.find('\0') != std::string::npos) {
        // The file system would cut the name short at the NUL ("..\0x" is "..").
        result.refusal = "NUL in name";
        return result;
    }
    result.isFolder = name.back() == '/' || name.back() == '\\';
    for (const std::string& part : splitName(name)) {
        if (part == "..") {
            result.refusal = "contains \"..\"";
            result.parts.clear();
            return result;
        }
        if (!part.empty() && part != ".")
            result.parts.push_back(part);
    }
    if (result.parts.empty() && !result.isFolder) {
        result.refusal = "empty name";
        return result;
    }
    result.safe = true;
    return result;
}

std::vector<std::string> outputParts(const MemberPath& path, bool keepFolders, bool spaceToUnderscore)
{
    std::vector<std::string> parts = path.parts;
    if (!keepFolders && parts.size() > 1)
        parts.erase(parts.begin(), parts.end() - 1);
    if (spaceToUnderscore)
        for (std::string& part : parts)
            std::replace(part.begin(), part.end(), ' ', '_');
    return parts;
}

} // namespace platform::unzip
