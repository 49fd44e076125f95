#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

// This process's memory map as /proc/self/smaps tells it, for tests of what
// the program keeps in memory.
namespace testsupport {

struct MappedRegion {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
    QByteArray path;         // empty for anonymous memory
    qint64 residentKb = 0;   // pages of this process in memory
    qint64 ownChangesKb = 0; // of those, pages that exist in this process only
};

QList<MappedRegion> mappedRegions();

// Whether a file whose name starts with `name` is mapped now.
bool isMapped(const QByteArray& name);

} // namespace testsupport
