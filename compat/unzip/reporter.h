#pragma once

#include "compat/unzip/unzip32.h"

#include <string>

namespace platform::unzip {

// Sends the library's printed output through the caller's print call-back,
// filtered by the quietness the caller asked for.
class Reporter {
public:
    // Message weight: what the caller sees at each fQuiet value.
    enum Level {
        Progress = 0, // one line per member, the archive banner (fQuiet 0 only)
        Note = 1,     // summaries and harmless skips (fQuiet 0 and 1)
        Problem = 2   // anything behind a non-zero result (always)
    };

    Reporter(UzPrintFn print, int quiet);

    // One line: its text, then its line feed as a piece of its own.
    void line(Level level, const std::string& text);
    // Bytes as they are (member data in write-to-print mode, the archive comment).
    void raw(const char* data, size_t size);

private:
    void send(const char* data, size_t size);

    UzPrintFn m_print;
    int m_quiet;
};

} // namespace platform::unzip
