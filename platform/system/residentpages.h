#pragma once

#include <cstddef>
#include <set>
#include <string>

// Memory the start-up needed once and the program no longer does: pages of
// mapped files it read through, and heap it freed. None of these calls
// changes what the program sees; a later read brings a released page in again.
namespace platform {

// The paths of the files mapped into this process now (libraries among them).
std::set<std::string> mappedFiles();

// Releases the resident pages of every mapping of the files in `paths` that
// holds file content only (code and constants). A mapping with a page of its
// own (data the loader relocated or the program wrote) is left alone, since
// its content exists nowhere else.
void releaseFilePages(const std::set<std::string>& paths);

// Hands the free pages of every heap (the main one and the worker threads')
// back to the system.
void returnFreeHeap();

// Releases the whole pages inside [begin, begin + size), a read-only region
// of a mapped file (data built into the program, say).
void releaseFilePages(const void* begin, std::size_t size);

} // namespace platform
