#include "compat/unzip/reporter.h"

#include <algorithm>
#include <vector>

namespace platform::unzip {

Reporter::Reporter(UzPrintFn print, int quiet) : m_print(print), m_quiet(std::clamp(quiet, 0, 2)) {}

void Reporter::line(Level level, const std::string& text)
{
    if (level < m_quiet)
        return;
    send(text.data(), text.size());
    send("\n", 1);
}

void Reporter::raw(const char* data, size_t size)
{
    if (size > 0)
        send(data, size);
}

void Reporter::send(const char* data, size_t size)
{
    if (!m_print)
        return;
    // The call-back gets its own writable, NUL-ended copy.
    std::vector<char> piece(data, data + size);
    piece.push_back('\0');
    m_print(piece.data(), static_cast<unsigned long>(size));
}

} // namespace platform::unzip
