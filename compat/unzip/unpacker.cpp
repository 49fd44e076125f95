#include "compat/unzip/unpacker.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

namespace platform::unzip {
namespace {

constexpr size_t bufferSize = 64 * 1024;
// Extraction writes at most this much in all, and at most this many times the
// archive's own size.
constexpr unsigned long long maxExpandedBytes = 64ULL * 1024 * 1024;
constexpr unsigned long long maxExpansionFactor = 200;
constexpr int questionsPerMember = 3;

bool isFullDisk(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

bool isInTheWay(int error) { return error == ELOOP || error == ENOTDIR; }

std::string joined(const std::vector<std::string>& parts)
{
    std::string result;
    for (const std::string& part : parts) {
        if (!result.empty())
            result += '/';
        result += part;
    }
    return result;
}

std::string methodName(zip_uint16_t method)
{
    switch (method) {
    case ZIP_CM_STORE: return "Stored";
    case ZIP_CM_SHRINK: return "Shrunk";
    case ZIP_CM_IMPLODE: return "Implode";
    case ZIP_CM_DEFLATE: return "Deflated";
    case ZIP_CM_DEFLATE64: return "Defl64";
    case ZIP_CM_BZIP2: return "BZip2";
    case ZIP_CM_LZMA: return "LZMA";
    case ZIP_CM_XZ: return "XZ";
    default: return "Unk:" + std::to_string(method);
    }
}

unsigned percentSaved(zip_uint64_t compressed, zip_uint64_t size)
{
    if (size == 0 || compressed >= size)
        return 0;
    const double saved = 100.0 * (1.0 - static_cast<double>(compressed) / static_cast<double>(size));
    return static_cast<unsigned>(std::clamp(std::lround(saved), 0L, 100L));
}

// Archive dates have a two-second grain: a file counts as older than the member
// only when it is older even after rounding its time up to that grain.
bool memberIsNewer(std::time_t member, std::time_t file) { return member > file + (file & 1); }

std::string errorText(int error) { return std::strerror(error); }

bool isDataError(int code)
{
    return code == ZIP_ER_CRC || code == ZIP_ER_ZLIB || code == ZIP_ER_COMPRESSED_DATA || code == ZIP_ER_EOF
        || code == ZIP_ER_INCONS;
}

} // namespace

Unpacker::Unpacker(const LibZip& zip, const DCL& options, USERFUNCTION& callbacks, std::vector<std::string> include,
                   std::vector<std::string> exclude)
    : m_zip(zip), m_options(options), m_callbacks(callbacks), m_reporter(callbacks.print, options.fQuiet),
      m_archivePath(options.lpszZipFN ? options.lpszZipFN : ""),
      m_folderPath(options.lpszExtractDir && *options.lpszExtractDir ? options.lpszExtractDir : "."),
      m_archive(nullptr, ArchiveCloser{&zip}), m_include(std::move(include)), m_exclude(std::move(exclude)),
      m_includeMatched(m_include.size(), false), m_excludeMatched(m_exclude.size(), false)
{}

Unpacker::Mode Unpacker::mode() const
{
    if (m_options.nvflag)
        return Mode::List;
    if (m_options.ntflag)
        return Mode::Test;
    if (m_options.ncflag)
        return Mode::Print;
    return Mode::Extract;
}

int Unpacker::run()
{
    if (const int code = openArchive())
        return finish(code);
    m_reporter.line(Reporter::Progress, "Archive:  " + m_archivePath);
    printComment();
    if (mode() == Mode::Extract)
        if (const int code = prepareFolder())
            return finish(code);

    const zip_int64_t count = m_zip.numEntries(m_archive.get(), 0);
    if (count <= 0) {
        m_reporter.line(Reporter::Note, "warning: zipfile is empty: " + m_archivePath);
        raise(PK_WARN);
    }
    if (mode() == Mode::Extract)
        if (const int code = checkExpansion(count))
            return finish(code);
    m_buffer.resize(bufferSize);
    for (zip_int64_t i = 0; i < count; ++i) {
        Member member;
        if (!readMemberInfo(static_cast<zip_uint64_t>(i), member))
            continue;
        if (!selected(member.name))
            continue;
        addToTotals(member);
        if (const int stop = processMember(member))
            return finish(stop);
    }
    return finish(PK_OK);
}

int Unpacker::openArchive()
{
    struct stat info {};
    if (::stat(m_archivePath.c_str(), &info) != 0) {
        m_reporter.line(Reporter::Problem, "error: cannot find zipfile: " + m_archivePath);
        return PK_NOZIP;
    }
    if (!S_ISREG(info.st_mode) || info.st_size == 0) {
        m_reporter.line(Reporter::Problem, "error: not a zipfile: " + m_archivePath);
        return PK_NOZIP;
    }
    m_expansionLimit = std::min(maxExpandedBytes, maxExpansionFactor * static_cast<unsigned long long>(info.st_size));
    int error = ZIP_ER_OK;
    m_archive.reset(m_zip.open(m_archivePath.c_str(), ZIP_RDONLY, &error));
    if (m_archive)
        return PK_OK;
    if (error == ZIP_ER_MEMORY)
        return PK_MEM;
    if (error == ZIP_ER_NOZIP || error == ZIP_ER_INCONS || error == ZIP_ER_MULTIDISK)
        m_reporter.line(Reporter::Problem, "error: not a zipfile: " + m_archivePath);
    else
        m_reporter.line(Reporter::Problem, "error: cannot open zipfile: " + m_archivePath);
    return PK_NOZIP;
}

// The sizes the members declare, before anything is written; the data itself
// is held to the same limit as it is written (a declared size may lie).
int Unpacker::checkExpansion(zip_int64_t count)
{
    unsigned long long declared = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        m_zip.statInit(&st);
        if (m_zip.statIndex(m_archive.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
            continue;
        if (st.name && !selected(st.name))
            continue;
        declared += std::min<unsigned long long>(st.size, m_expansionLimit + 1);
        if (declared > m_expansionLimit) {
            m_reporter.line(Reporter::Problem,
                            "error: " + m_archivePath + " would expand beyond " + std::to_string(m_expansionLimit)
                                + " bytes - nothing extracted");
            return PK_BADERR;
        }
    }
    m_includeMatched.assign(m_include.size(), false);
    m_excludeMatched.assign(m_exclude.size(), false);
    return PK_OK;
}

int Unpacker::prepareFolder()
{
    const int error = m_folder.open(m_folderPath);
    if (error == 0)
        return PK_OK;
    m_reporter.line(Reporter::Problem,
                    "error: cannot create extraction folder " + m_folderPath + ": " + errorText(error));
    return isFullDisk(error) ? PK_DISK : PK_ERR;
}

void Unpacker::printComment()
{
    int length = 0;
    const char* comment = m_zip.archiveComment(m_archive.get(), &length, ZIP_FL_ENC_RAW);
    m_callbacks.cchComment = comment && length > 0 ? static_cast<uint32_t>(length) : 0;
    if (!m_options.nzflag || m_callbacks.cchComment == 0)
        return;
    m_reporter.raw(comment, static_cast<size_t>(length));
    m_reporter.raw("\n", 1);
}

bool Unpacker::readMemberInfo(zip_uint64_t index, Member& member)
{
    m_zip.statInit(&member.stat);
    if (m_zip.statIndex(m_archive.get(), index, 0, &member.stat) != 0 || !member.stat.name) {
        m_reporter.line(Reporter::Problem,
                        "error: unreadable entry " + std::to_string(index) + " in the central directory");
        raise(PK_ERR);
        return false;
    }
    member.index = index;
    member.name = member.stat.name;
    member.encrypted = (member.stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && member.stat.encryption_method != ZIP_EM_NONE;
    member.folder = !member.name.empty() && (member.name.back() == '/' || member.name.back() == '\\');

    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (m_zip.externalAttributes(m_archive.get(), index, 0, &system, &attributes) == 0 && system == ZIP_OPSYS_UNIX) {
        const mode_t type = (attributes >> 16) & S_IFMT;
        member.symlink = type == S_IFLNK;
        member.folder = member.folder || type == S_IFDIR;
        member.special = type != 0 && type != S_IFREG && type != S_IFDIR && type != S_IFLNK;
    }
    return true;
}

bool Unpacker::selected(const std::string& name)
{
    const bool caseSensitive = m_options.C_flag != 0;
    bool included = m_include.empty();
    for (size_t i = 0; i < m_include.size(); ++i)
        if (wildcardMatch(m_include[i], name, caseSensitive))
            included = m_includeMatched[i] = true;
    if (!included)
        return false;
    bool excluded = false;
    for (size_t i = 0; i < m_exclude.size(); ++i)
        if (wildcardMatch(m_exclude[i], name, caseSensitive))
            excluded = m_excludeMatched[i] = true;
    return !excluded;
}

void Unpacker::addToTotals(const Member& member)
{
    m_callbacks.TotalSize += member.stat.size;
    m_callbacks.TotalSizeComp += member.stat.comp_size;
    m_callbacks.NumMembers += 1;
}

int Unpacker::processMember(const Member& member)
{
    if (m_callbacks.service
        && m_callbacks.service(member.name.c_str(), static_cast<unsigned long>(member.stat.size)) != 0) {
        m_reporter.line(Reporter::Problem, "run cancelled before " + member.name);
        return IZ_CTRLC;
    }
    switch (mode()) {
    case Mode::List: listMember(member); return 0;
    case Mode::Test: return testMember(member);
    case Mode::Print: return printMember(member);
    case Mode::Extract: break;
    }
    return extractMember(member);
}

void Unpacker::listMember(const Member& member)
{
    std::tm when{};
    const std::time_t mtime = member.stat.mtime;
    localtime_r(&mtime, &when);
    const unsigned ratio = percentSaved(member.stat.comp_size, member.stat.size);
    const std::string method = methodName(member.stat.comp_method);
    ++m_done;
    if (m_callbacks.applicationMessage) {
        m_callbacks.applicationMessage(static_cast<unsigned long>(member.stat.size),
                                       static_cast<unsigned long>(member.stat.comp_size), ratio,
                                       static_cast<unsigned>(when.tm_mon + 1), static_cast<unsigned>(when.tm_mday),
                                       static_cast<unsigned>(when.tm_year + 1900), static_cast<unsigned>(when.tm_hour),
                                       static_cast<unsigned>(when.tm_min), member.stat.crc, member.encrypted ? 1 : 0,
                                       method.c_str(), member.name.c_str());
        return;
    }
    char line[160];
    std::snprintf(line, sizeof line, "%10llu  %-8s %10llu %3u%%  %04d-%02d-%02d %02d:%02d  %08x  ",
                  static_cast<unsigned long long>(member.stat.size), method.c_str(),
                  static_cast<unsigned long long>(member.stat.comp_size), ratio, when.tm_year + 1900, when.tm_mon + 1,
                  when.tm_mday, when.tm_hour, when.tm_min, member.stat.crc);
    m_reporter.line(Reporter::Problem, line + member.name);
}

int Unpacker::testMember(const Member& member)
{
    if (member.folder)
        return 0;
    DiscardSink sink;
    const Outcome outcome = readMember(member, sink);
    if (outcome != Outcome::Ok)
        return failed(member, outcome, 0);
    ++m_done;
    m_reporter.line(Reporter::Progress, "    testing: " + member.name + "   OK");
    return 0;
}

int Unpacker::printMember(const Member& member)
{
    if (member.folder)
        return 0;
    PrintSink printed(m_reporter);
    CrLfSink converted(printed);
    const Outcome outcome = readMember(member, m_options.naflag ? static_cast<Sink&>(converted) : printed);
    if (outcome != Outcome::Ok)
        return failed(member, outcome, 0);
    ++m_done;
    return 0;
}

int Unpacker::extractMember(const Member& member)
{
    MemberPath path = checkMemberPath(member.name);
    if (!path.safe) {
        refuse(member.name, "unsafe path: " + path.refusal);
        return 0;
    }
    if (member.symlink) {
        refuse(member.name, "symbolic link not created");
        return 0;
    }
    if (member.special) {
        refuse(member.name, "special file not created");
        return 0;
    }
    const bool keepFolders = m_options.ndflag != 0;
    const std::vector<std::string> parts = outputParts(path, keepFolders, m_options.SpaceToUnderscore != 0);
    if (member.folder || path.isFolder)
        return keepFolders ? makeFolder(member, parts) : 0;

    const std::string shown = joined(parts);
    const Existing existing = m_folder.lookup(parts);
    if (existing.kind == Existing::Blocked)
        return creationFailed(shown, existing.error);
    if (existing.kind == Existing::Folder) {
        m_reporter.line(Reporter::Problem, "error: cannot create " + shown + ": a folder of that name exists");
        raise(PK_ERR);
        return 0;
    }
    if (!shouldWrite(member, existing, shown))
        return 0;

    Fd folder;
    if (const int error = m_folder.openFolder(parts, parts.size() - 1, folder))
        return creationFailed(shown, error);
    OutputFile file;
    if (const int error = file.create(std::move(folder), parts.back()))
        return creationFailed(shown, error);
    FileSink toFile(file);
    BudgetSink written(toFile, m_expanded, m_expansionLimit);
    CrLfSink converted(written);
    Outcome outcome = readMember(member, m_options.naflag ? static_cast<Sink&>(converted) : written);
    if (outcome == Outcome::WriteError && written.exceeded())
        outcome = Outcome::TooLarge;
    if (outcome != Outcome::Ok) {
        file.discard();
        return failed(member, outcome, file.error());
    }
    const std::time_t mtime = (member.stat.valid & ZIP_STAT_MTIME) ? member.stat.mtime : std::time(nullptr);
    switch (file.commit(mtime)) {
    case OutputFile::Done: break;
    case OutputFile::WriteFailed: return failed(member, Outcome::WriteError, file.error());
    case OutputFile::PlaceFailed: return creationFailed(shown, file.error());
    }
    ++m_done;
    ++m_written;
    m_reporter.line(Reporter::Progress,
                    (member.stat.comp_method == ZIP_CM_STORE ? " extracting: " : "  inflating: ") + shown);
    return 0;
}

int Unpacker::makeFolder(const Member& member, const std::vector<std::string>& parts)
{
    if (parts.empty())
        return 0;
    Fd folder;
    if (const int error = m_folder.openFolder(parts, parts.size(), folder))
        return creationFailed(joined(parts), error);
    m_reporter.line(Reporter::Progress, "   creating: " + member.name);
    return 0;
}

bool Unpacker::shouldWrite(const Member& member, const Existing& existing, const std::string& shown)
{
    const bool freshen = m_options.nfflag != 0;
    const bool update = m_options.ExtractOnlyNewer != 0;
    if (existing.kind == Existing::Missing)
        return !freshen;
    if (freshen || update) {
        if (!memberIsNewer(member.stat.mtime, existing.mtime))
            return false;
        if (update)
            return true;
    }
    if (m_options.noflag || m_replaceMode == ReplaceMode::All)
        return true;
    if (m_replaceMode == ReplaceMode::Ask && m_options.PromptToOverwrite && askReplace(shown))
        return true;
    m_reporter.line(Reporter::Note, "skipping: " + shown + "  (file exists)");
    return false;
}

bool Unpacker::askReplace(const std::string& shown)
{
    if (!m_callbacks.replace)
        return false;
    const std::string path = fullPath(shown);
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    switch (m_callbacks.replace(name.data())) {
    case IDM_REPLACE_YES: return true;
    case IDM_REPLACE_ALL: m_replaceMode = ReplaceMode::All; return true;
    case IDM_REPLACE_NONE: m_replaceMode = ReplaceMode::None; return false;
    default: return false;
    }
}

std::string Unpacker::fullPath(const std::string& shown) const
{
    if (m_folderPath == ".")
        return shown;
    return m_folderPath.back() == '/' ? m_folderPath + shown : m_folderPath + '/' + shown;
}

Unpacker::Outcome Unpacker::readMember(const Member& member, Sink& sink)
{
    if (!m_zip.compressionSupported(member.stat.comp_method, 0))
        return Outcome::UnsupportedMethod;
    if (!member.encrypted)
        return readWith(member, nullptr, sink);
    if (!m_zip.encryptionSupported(member.stat.encryption_method, 0))
        return Outcome::UnsupportedEncryption;

    if (m_havePassword) {
        const Outcome outcome = readWith(member, m_password.c_str(), sink);
        if (outcome != Outcome::WrongPassword)
            return outcome;
        if (!sink.restart())
            return Outcome::WriteError;
    }
    for (int question = 0; question < questionsPerMember; ++question) {
        std::string candidate;
        if (!askPassword(member, question > 0 || m_havePassword, candidate))
            return Outcome::GaveUp;
        const Outcome outcome = readWith(member, candidate.c_str(), sink);
        if (outcome == Outcome::Ok) {
            m_password = candidate;
            m_havePassword = true;
        }
        if (outcome != Outcome::WrongPassword)
            return outcome;
        if (!sink.restart())
            return Outcome::WriteError;
    }
    return Outcome::WrongPassword;
}

Unpacker::Outcome Unpacker::readWith(const Member& member, const char* password, Sink& sink)
{
    zip_t* archive = m_archive.get();
    zip_file_t* file = password ? m_zip.openEncryptedMember(archive, member.index, 0, password)
                                : m_zip.openMember(archive, member.index, 0);
    if (!file) {
        const int code = m_zip.errorCode(m_zip.archiveError(archive));
        m_zip.clearError(archive);
        switch (code) {
        case ZIP_ER_WRONGPASSWD:
        case ZIP_ER_NOPASSWD: return Outcome::WrongPassword;
        case ZIP_ER_MEMORY: return Outcome::OutOfMemory;
        case ZIP_ER_COMPNOTSUPP: return Outcome::UnsupportedMethod;
        case ZIP_ER_ENCRNOTSUPP: return Outcome::UnsupportedEncryption;
        default: return Outcome::DataError;
        }
    }
    Outcome outcome = Outcome::Ok;
    for (;;) {
        const zip_int64_t got = m_zip.readMember(file, m_buffer.data(), m_buffer.size());
        if (got < 0) {
            const int code = m_zip.errorCode(m_zip.memberError(file));
            // Wrong keys pass the one-byte check now and then; the damage shows in the data.
            if (code == ZIP_ER_MEMORY)
                outcome = Outcome::OutOfMemory;
            else
                outcome = password && isDataError(code) ? Outcome::WrongPassword : Outcome::DataError;
            break;
        }
        if (got == 0)
            break;
        if (!sink.write(m_buffer.data(), static_cast<size_t>(got))) {
            outcome = Outcome::WriteError;
            break;
        }
    }
    m_zip.closeMember(file);
    return outcome;
}

bool Unpacker::askPassword(const Member& member, bool again, std::string& password)
{
    if (!m_callbacks.password)
        return false;
    char buffer[UZ_PASSWORD_BUFFER] = {};
    const char* prompt = again ? "Password incorrect - enter it again: " : "Enter password: ";
    const int answer = m_callbacks.password(buffer, UZ_PASSWORD_BUFFER, prompt, member.name.c_str());
    buffer[UZ_PASSWORD_BUFFER - 1] = '\0';
    if (answer != UZ_PASSWORD_GIVEN)
        return false;
    password = buffer;
    std::memset(buffer, 0, sizeof buffer);
    return true;
}

int Unpacker::failed(const Member& member, Outcome outcome, int writeError)
{
    switch (outcome) {
    case Outcome::Ok: return 0;
    case Outcome::WrongPassword:
    case Outcome::GaveUp:
        m_reporter.line(Reporter::Problem,
                        "skipping: " + member.name
                            + (outcome == Outcome::GaveUp ? "  (no password given)" : "  (incorrect password)"));
        ++m_badPassword;
        raise(PK_WARN);
        return 0;
    case Outcome::UnsupportedMethod:
        m_reporter.line(Reporter::Problem,
                        "skipping: " + member.name + "  (unsupported compression method "
                            + std::to_string(member.stat.comp_method) + ")");
        ++m_unsupported;
        raise(PK_WARN);
        return 0;
    case Outcome::UnsupportedEncryption:
        m_reporter.line(Reporter::Problem, "skipping: " + member.name + "  (unsupported encryption)");
        ++m_unsupported;
        raise(PK_WARN);
        return 0;
    case Outcome::DataError:
        m_reporter.line(Reporter::Problem, "error: " + member.name + "  (bad CRC or damaged data)");
        raise(PK_ERR);
        return 0;
    case Outcome::WriteError:
        m_reporter.line(Reporter::Problem,
                        "error: cannot write " + member.name + ": " + errorText(writeError) + " - run stopped");
        return PK_DISK;
    case Outcome::OutOfMemory:
        m_reporter.line(Reporter::Problem, "error: out of memory at " + member.name);
        return PK_MEM;
    case Outcome::TooLarge:
        m_reporter.line(Reporter::Problem,
                        "error: " + member.name + ": the archive expands beyond " + std::to_string(m_expansionLimit)
                            + " bytes - run stopped");
        return PK_BADERR;
    }
    return 0;
}

int Unpacker::creationFailed(const std::string& shown, int error)
{
    if (isInTheWay(error)) {
        refuse(shown, "a link or a file is in the way");
        return 0;
    }
    m_reporter.line(Reporter::Problem, "error: cannot create " + shown + ": " + errorText(error));
    if (isFullDisk(error))
        return PK_DISK;
    raise(PK_ERR);
    return 0;
}

void Unpacker::refuse(const std::string& name, const std::string& why)
{
    m_reporter.line(Reporter::Problem, "skipping: " + name + "  (" + why + ")");
    raise(PK_WARN);
}

void Unpacker::raise(int code) { m_worst = std::max(m_worst, code); }

int Unpacker::finish(int stopCode)
{
    m_callbacks.CompFactor = static_cast<int32_t>(percentSaved(m_callbacks.TotalSizeComp, m_callbacks.TotalSize));
    if (stopCode != PK_OK)
        return stopCode;

    for (size_t i = 0; i < m_include.size(); ++i)
        if (!m_includeMatched[i])
            m_reporter.line(Reporter::Problem, "caution: filename not matched:  " + m_include[i]);
    for (size_t i = 0; i < m_exclude.size(); ++i)
        if (!m_excludeMatched[i])
            m_reporter.line(Reporter::Note, "caution: excluded filename not matched:  " + m_exclude[i]);

    if (mode() == Mode::Test) {
        if (m_worst == PK_OK)
            m_reporter.line(Reporter::Note, "No errors detected in compressed data of " + m_archivePath + ".");
        else
            m_reporter.line(Reporter::Problem, "At least one problem was found in " + m_archivePath + ".");
    }
    if (m_written > 0 && m_callbacks.sound)
        m_callbacks.sound();

    if (m_worst >= PK_ERR)
        return m_worst;
    if (std::find(m_includeMatched.begin(), m_includeMatched.end(), false) != m_includeMatched.end())
        return PK_FIND;
    if (m_done == 0 && m_badPassword > 0)
        return IZ_BADPWD;
    if (m_done == 0 && m_unsupported > 0)
        return IZ_UNSUP;
    return m_worst;
}

} // namespace platform::unzip
