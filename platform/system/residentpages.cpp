#include "platform/system/residentpages.h"

#include <QFile>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <cstdint>
#include <vector>

namespace platform {
namespace {

struct Mapping {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
    bool writable = false;
    std::string path;
    long anonymousKb = 0;
};

// A mapping's header line in /proc/self/smaps or maps:
// "begin-end perms offset dev inode [path]". Read by hand: a process has
// hundreds of mappings, and the start reads them several times.
bool parseHeader(std::string_view line, Mapping& mapping)
{
    auto field = [&line]() {
        const std::size_t from = line.find_first_not_of(' ');
        if (from == std::string_view::npos)
            return std::string_view();
        const std::size_t to = std::min(line.find(' ', from), line.size());
        const std::string_view found = line.substr(from, to - from);
        line.remove_prefix(to);
        return found;
    };
    const std::string_view range = field();
    const std::string_view perms = field();
    field();                                  // offset
    field();                                  // device
    if (field().empty() || perms.size() != 4) // inode
        return false;
    const std::size_t dash = range.find('-');
    if (dash == std::string_view::npos || dash == 0)
        return false;
    const auto hex = [](std::string_view text, std::uintptr_t& value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        return error == std::errc() && end == text.data() + text.size();
    };
    mapping.writable = perms[1] == 'w';
    const std::size_t from = line.find_first_not_of(' ');
    mapping.path = from == std::string_view::npos ? std::string() : std::string(line.substr(from));
    return hex(range.substr(0, dash), mapping.begin) && hex(range.substr(dash + 1), mapping.end);
}

// Calls `onLine` with each line of a file under /proc, read whole.
template <typename OnLine>
void forEachLine(const QString& path, OnLine onLine)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray text = file.readAll();
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = text.indexOf('\n', at);
        if (end < 0)
            end = text.size();
        onLine(QByteArrayView(text).sliced(at, end - at));
        at = end + 1;
    }
}

bool isHeader(QByteArrayView line)
{
    return !line.isEmpty() && std::isxdigit(static_cast<unsigned char>(line.front()));
}

// With `withAnonymous`, the mappings of /proc/self/smaps with their own
// pages counted; without, the much shorter /proc/self/maps.
std::vector<Mapping> mappings(bool withAnonymous)
{
    std::vector<Mapping> all;
    static const QByteArray anonymous("Anonymous:");
    forEachLine(withAnonymous ? QStringLiteral("/proc/self/smaps") : QStringLiteral("/proc/self/maps"),
                [&](QByteArrayView line) {
                    Mapping mapping;
                    if (isHeader(line) && parseHeader(std::string_view(line.data(), line.size()), mapping))
                        all.push_back(mapping);
                    else if (!all.empty() && line.startsWith(anonymous))
                        all.back().anonymousKb =
                            line.sliced(anonymous.size()).toByteArray().trimmed().split(' ').first().toLong();
                });
    return all;
}

std::uintptr_t pageSize() { return static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE)); }

// Only pages that hold a file's content as it is on disk may be released:
// anything else would read back as zeros.
bool holdsFileContentOnly(const Mapping& mapping)
{
    return mapping.path.rfind('/', 0) == 0 && !mapping.writable && mapping.anonymousKb == 0;
}

void release(std::uintptr_t begin, std::uintptr_t end)
{
    if (end > begin)
        // The addresses come from /proc/self/smaps as numbers.
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED); // NOLINT(performance-no-int-to-ptr)
}

} // namespace

std::set<std::string> mappedFiles()
{
    std::set<std::string> paths;
    for (const Mapping& mapping : mappings(false))
        if (mapping.path.rfind('/', 0) == 0)
            paths.insert(mapping.path);
    return paths;
}

void releaseFilePages(const std::set<std::string>& paths)
{
    for (const Mapping& mapping : mappings(true))
        if (paths.count(mapping.path) && holdsFileContentOnly(mapping))
            release(mapping.begin, mapping.end);
}

void returnFreeHeap() { ::malloc_trim(0); }

void releaseFilePages(const void* begin, std::size_t size)
{
    const std::uintptr_t page = pageSize();
    const auto first = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t from = (first + page - 1) / page * page;
    const std::uintptr_t to = (first + size) / page * page;
    for (const Mapping& mapping : mappings(true))
        if (holdsFileContentOnly(mapping) && mapping.begin <= from && to <= mapping.end)
            release(from, to);
}

} // namespace platform
