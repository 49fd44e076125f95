#pragma once

#include "platform/unzip/outputfolder.h"
#include "platform/unzip/reporter.h"

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
