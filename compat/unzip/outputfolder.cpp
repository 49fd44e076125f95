#include "compat/unzip/outputfolder.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::unzip {
namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

int openChild(int parent, const std::string& name, bool create, Fd& child)
{
    int fd = ::openat(parent, name.c_str(), folderFlags);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST)
            return errno;
        fd = ::openat(parent, name.c_str(), folderFlags);
    }
    if (fd < 0)
        return errno;
    child = Fd(fd);
    return 0;
}

int makePath(const std::string& path)
{
    std::string done;
    size_t from = 0;
    while (from <= path.size()) {
        size_t slash = path.find('/', from);
        if (slash == std::string::npos)
            slash = path.size();
        done = path.substr(0, slash);
        if (!done.empty() && ::mkdir(done.c_str(), 0777) != 0 && errno != EEXIST)
            return errno;
        from = slash + 1;
    }
    return 0;
}

std::string temporaryName()
{
    static constexpr char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::uniform_int_distribution<size_t> pick(0, sizeof digits - 2);
    std::string name = ".unzip32-";
    for (int i = 0; i < 10; ++i)
        name += digits[pick(device)];
    return name;
}

} // namespace

Fd& Fd::operator=(Fd&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.release();
    }
    return *this;
}

Fd::~Fd() { close(); }

int Fd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

int Fd::close()
{
    if (m_fd < 0)
        return 0;
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0 ? 0 : errno;
}

int OutputFolder::open(const std::string& path)
{
    if (const int error = makePath(path))
        return error;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    m_root = Fd(fd);
    return 0;
}

Existing OutputFolder::lookup(const std::vector<std::string>& parts) const
{
    Existing result;
    Fd folder;
    if (parts.empty())
        return result;
    if (const int error = walk(parts, parts.size() - 1, false, folder); error != 0) {
        if (error != ENOENT) {
            result.kind = Existing::Blocked;
            result.error = error;
        }
        return result;
    }
    struct stat info {};
    if (::fstatat(folder.get(), parts.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            result.kind = Existing::Blocked;
            result.error = errno;
        }
        return result;
    }
    result.kind = S_ISDIR(info.st_mode) ? Existing::Folder : Existing::File;
    result.mtime = info.st_mtim.tv_sec;
    return result;
}

int OutputFolder::openFolder(const std::vector<std::string>& parts, size_t count, Fd& folder) const
{
    return walk(parts, count, true, folder);
}

int OutputFolder::walk(const std::vector<std::string>& parts, size_t count, bool create, Fd& folder) const
{
    const int dup = ::fcntl(m_root.get(), F_DUPFD_CLOEXEC, 0);
    if (dup < 0)
        return errno;
    Fd current(dup);
    for (size_t i = 0; i < count && i < parts.size(); ++i) {
        Fd child;
        if (const int error = openChild(current.get(), parts[i], create, child))
            return error;
        current = std::move(child);
    }
    folder = std::move(current);
    return 0;
}

OutputFile::~OutputFile() { discard(); }

int OutputFile::create(Fd folder, const std::string& name)
{
    discard();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = temporaryName();
        const int fd = ::openat(folder.get(), candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                0666);
        if (fd >= 0) {
            m_folder = std::move(folder);
            m_file = Fd(fd);
            m_name = name;
            m_temporary = candidate;
            m_error = 0;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

bool OutputFile::write(const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_file.get(), data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool OutputFile::restart()
{
    if (::ftruncate(m_file.get(), 0) != 0 || ::lseek(m_file.get(), 0, SEEK_SET) != 0) {
        m_error = errno;
        return false;
    }
    return true;
}

OutputFile::Commit OutputFile::commit(std::time_t mtime)
{
    const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ::futimens(m_file.get(), times); // a file without its date is still the file
    if (const int error = m_file.close()) {
        m_error = error;
        discard();
        return WriteFailed;
    }
    if (::renameat(m_folder.get(), m_temporary.c_str(), m_folder.get(), m_name.c_str()) != 0) {
        m_error = errno;
        discard();
        return PlaceFailed;
    }
    m_temporary.clear();
    m_folder.close();
    return Done;
}

void OutputFile::discard()
{
    m_file.close();
    if (m_folder.valid() && !m_temporary.empty())
        ::unlinkat(m_folder.get(), m_temporary.c_str(), 0);
    m_temporary.clear();
    m_folder.close();
}

} // namespace platform::unzip
