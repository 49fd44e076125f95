#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace platform::unzip {

// An open file descriptor, closed when dropped.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(other.release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();
    // Closes now; answers errno of a failed close, else 0.
    int close();

private:
    int m_fd = -1;
};

// What a path below the extract folder holds.
struct Existing {
    enum Kind { Missing, File, Folder, Blocked } kind = Missing;
    std::time_t mtime = 0; // File: its modification time
    int error = 0;         // Blocked: errno of the step that failed
};

// The extract folder. Everything below it is reached one name at a time without
// following symbolic links, so a link planted in the folder (or by an earlier
// archive) cannot send a file elsewhere. The folder itself may be a link.
class OutputFolder {
public:
    // Opens the folder, creating it (and its parents) when missing. Answers errno or 0.
    int open(const std::string& path);

    // What lies at `parts` below the folder; a link or a file where a folder is
    // needed answers Blocked.
    Existing lookup(const std::vector<std::string>& parts) const;

    // Opens the folder made of the first `count` parts, creating the missing
    // ones. Answers errno or 0 (ELOOP or ENOTDIR: a link or a file is in the way).
    int openFolder(const std::vector<std::string>& parts, size_t count, Fd& folder) const;

private:
    int walk(const std::vector<std::string>& parts, size_t count, bool create, Fd& folder) const;

    Fd m_root;
};

// A new file written under a temporary name and moved into place when complete,
// so a failed write leaves an existing file untouched. Whatever was at the
// final name (file or link) is replaced, never written through.
class OutputFile {
public:
    enum Commit { Done, WriteFailed, PlaceFailed };

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates the temporary file in `folder` for the final `name`. Answers errno or 0.
    int create(Fd folder, const std::string& name);
    bool write(const char* data, size_t size);
    // Empties the file again (a second attempt at the same member).
    bool restart();
    Commit commit(std::time_t mtime);
    void discard();
    int error() const { return m_error; }

private:
    Fd m_folder;
    Fd m_file;
    std::string m_name;
    std::string m_temporary;
    int m_error = 0;
};

} // namespace platform::unzip
