#include "compat/unzip/sinks.h"

namespace platform::unzip {

bool PrintSink::write(const char* data, size_t size)
{
    m_reporter.raw(data, size);
    return true;
}

bool CrLfSink::looksLikeText(const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20)
            continue;
        switch (c) {
        case '\t':
        case '\n':
        case '\v':
        case '\f':
        case '\r':
        case '\b':
        case 0x1a:
        case 0x1b: continue;
        default: return false;
        }
    }
    return true;
}

bool CrLfSink::write(const char* data, size_t size)
{
    if (m_state == Undecided && size > 0)
        m_state = looksLikeText(data, size) ? Text : Binary;
    if (m_state != Text)
        return m_inner.write(data, size);
    m_converted.clear();
    m_converted.reserve(size + size / 8);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' && !m_lastWasCr)
            m_converted += '\r';
        m_converted += data[i];
        m_lastWasCr = data[i] == '\r';
    }
    return m_inner.write(m_converted.data(), m_converted.size());
}

bool CrLfSink::restart()
{
    m_state = Undecided;
    m_lastWasCr = false;
    return m_inner.restart();
}

} // namespace platform::unzip
