#include "platform/system/residentpages.h"

#include <QFile>

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
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

// A mapping's header line in /proc/self/smaps: "begin-end perms offset dev inode [path]".
bool parseHeader(const QByteArray& line, Mapping& mapping)
{
    qsizetype at = 0;
    QList<QByteArray> fields;
    while (fields.size() < 5 && at < line.size()) {
        const qsizetype space = line.indexOf(' ', at);
        const qsizetype end = space < 0 ? line.size() : space;
        if (end > at)
            fields.append(line.mid(at, end - at));
        at = end + 1;
    }
    if (fields.size() < 5 || fields[1].size() != 4)
        return false;
    const qsizetype dash = fields[0].indexOf('-');
    bool beginOk = false;
    bool endOk = false;
    mapping.begin = fields[0].left(dash).toULongLong(&beginOk, 16);
    mapping.end = fields[0].mid(dash + 1).toULongLong(&endOk, 16);
    mapping.writable = fields[1][1] == 'w';
    mapping.path = line.mid(at).trimmed().toStdString();
    return dash > 0 && beginOk && endOk;
}

std::vector<Mapping> mappings()
{
    std::vector<Mapping> all;
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return all;
    static const QByteArray anonymous("Anonymous:");
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        Mapping mapping;
        if (!line.isEmpty() && std::isxdigit(static_cast<unsigned char>(line[0])) && parseHeader(line, mapping))
            all.push_back(mapping);
        else if (!all.empty() && line.startsWith(anonymous))
            all.back().anonymousKb = line.mid(anonymous.size()).trimmed().split(' ').first().toLong();
    }
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
    for (const Mapping& mapping : mappings())
        if (mapping.path.rfind('/', 0) == 0)
            paths.insert(mapping.path);
    return paths;
}

void releaseFilePages(const std::set<std::string>& paths)
{
    for (const Mapping& mapping : mappings())
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
    for (const Mapping& mapping : mappings())
        if (holdsFileContentOnly(mapping) && mapping.begin <= from && to <= mapping.end)
            release(from, to);
}

} // namespace platform
