#pragma once

#include "compat/unzip/outputfolder.h"
#include "compat/unzip/reporter.h"

#include <cstddef>
#include <string>

namespace platform::unzip {

// Where the data of one member goes.
class Sink {
public:
    virtual ~Sink() = default;
    // False when the data could not be written.
    virtual bool write(const char* data, size_t size) = 0;
    // Drops what was written so far, for another attempt at the same member.
    virtual bool restart() = 0;
};

// Test mode: the data is read and checked, then dropped.
class DiscardSink : public Sink {
public:
    bool write(const char*, size_t) override { return true; }
    bool restart() override { return true; }
};

class FileSink : public Sink {
public:
    explicit FileSink(OutputFile& file) : m_file(file) {}
    bool write(const char* data, size_t size) override { return m_file.write(data, size); }
    bool restart() override { return m_file.restart(); }

private:
    OutputFile& m_file;
};

// Counts what reaches the inner sink against a budget shared by all members of
// one call, and refuses the write that would go beyond it.
class BudgetSink : public Sink {
public:
    BudgetSink(Sink& inner, unsigned long long& used, unsigned long long limit)
        : m_inner(inner), m_used(used), m_limit(limit)
    {}
    bool write(const char* data, size_t size) override
    {
        if (size > m_limit - m_used) {
            m_exceeded = true;
            return false;
        }
        m_used += size;
        m_mine += size;
        return m_inner.write(data, size);
    }
    bool restart() override
    {
        m_used -= m_mine;
        m_mine = 0;
        return m_inner.restart();
    }
    bool exceeded() const { return m_exceeded; }

private:
    Sink& m_inner;
    unsigned long long& m_used;
    const unsigned long long m_limit;
    unsigned long long m_mine = 0;
    bool m_exceeded = false;
};

// Write-to-print mode. What is printed cannot be taken back.
class PrintSink : public Sink {
public:
    explicit PrintSink(Reporter& reporter) : m_reporter(reporter) {}
    bool write(const char* data, size_t size) override;
    bool restart() override { return true; }

private:
    Reporter& m_reporter;
};

// Turns bare LF line ends into CR LF when the member looks like text; the first
// block decides (any control byte other than TAB, LF, VT, FF, CR, BS, ESC or
// SUB makes it binary, and binary data passes unchanged).
class CrLfSink : public Sink {
public:
    explicit CrLfSink(Sink& inner) : m_inner(inner) {}
    bool write(const char* data, size_t size) override;
    bool restart() override;

    static bool looksLikeText(const char* data, size_t size);

private:
    enum State { Undecided, Text, Binary };
    Sink& m_inner;
    State m_state = Undecided;
    bool m_lastWasCr = false;
    std::string m_converted;
};

} // namespace platform::unzip
