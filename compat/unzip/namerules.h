#pragma once

#include <string>
#include <vector>

namespace platform::unzip {

// Matches a member name against a pattern with the wildcards '*' (any run of
// characters, '/' included) and '?' (exactly one character). Without
// `caseSensitive` ASCII letters match either case.
bool wildcardMatch(const std::string& pattern, const std::string& name, bool caseSensitive);

// A member name checked for use as a path below the extract folder.
struct MemberPath {
    bool safe = false;
    std::string refusal;            // why it is unsafe, for the skip message
    bool isFolder = false;          // the name ends with a separator
    std::vector<std::string> parts; // folder and file names, without "." or empty ones
};

// Splits a member name on '/' and '\' and refuses absolute names, drive letters
// and any ".." element: such a member could land outside the extract folder.
MemberPath checkMemberPath(const std::string& name);

// The names the member is written under: only the last part when folders are
// not recreated, blanks turned into '_' on request.
std::vector<std::string> outputParts(const MemberPath& path, bool keepFolders, bool spaceToUnderscore);

} // namespace platform::unzip
