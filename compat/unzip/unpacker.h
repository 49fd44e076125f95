#pragma once

#include "compat/unzip/libzip.h"
#include "compat/unzip/namerules.h"
#include "compat/unzip/outputfolder.h"
#include "compat/unzip/reporter.h"
#include "compat/unzip/sinks.h"
#include "compat/unzip/unzip32.h"

#include <zip.h>

#include <memory>
#include <string>
#include <vector>

namespace platform::unzip {

// One call of the library: opens the archive, walks its members in order and
// lists, tests, prints or extracts each selected one under the options. Holds
// everything the call needs; nothing outlives it.
class Unpacker {
public:
    Unpacker(const LibZip& zip, const DCL& options, USERFUNCTION& callbacks, std::vector<std::string> include,
             std::vector<std::string> exclude);

    // Answers the call's result code and fills the totals of the call-back record.
    int run();

private:
    enum class Mode { Extract, Test, List, Print };
    enum class Outcome {
        Ok,
        WrongPassword,
        GaveUp,
        UnsupportedMethod,
        UnsupportedEncryption,
        DataError,
        WriteError,
        OutOfMemory,
        TooLarge
    };
    enum class ReplaceMode { Ask, All, None };

    struct Member {
        zip_uint64_t index = 0;
        std::string name;
        zip_stat_t stat{};
        bool encrypted = false;
        bool folder = false;
        bool symlink = false;
        bool special = false; // device, pipe or socket
    };

    struct ArchiveCloser {
        const LibZip* zip = nullptr;
        void operator()(zip_t* archive) const { zip->discard(archive); }
    };

    Mode mode() const;
    int openArchive();
    int prepareFolder();
    int checkExpansion(zip_int64_t count);
    void printComment();
    bool readMemberInfo(zip_uint64_t index, Member& member);
    bool selected(const std::string& name);
    int processMember(const Member& member);
    void addToTotals(const Member& member);

    void listMember(const Member& member);
    int testMember(const Member& member);
    int printMember(const Member& member);
    int extractMember(const Member& member);
    int makeFolder(const Member& member, const std::vector<std::string>& parts);
    bool shouldWrite(const Member& member, const Existing& existing, const std::string& shown);
    bool askReplace(const std::string& shown);

    Outcome readMember(const Member& member, Sink& sink);
    Outcome readWith(const Member& member, const char* password, Sink& sink);
    bool askPassword(const Member& member, bool again, std::string& password);

    int failed(const Member& member, Outcome outcome, int writeError);
    int creationFailed(const std::string& shown, int error);
    void refuse(const std::string& name, const std::string& why);
    void raise(int code);
    int finish(int stopCode);
    std::string fullPath(const std::string& shown) const;

    const LibZip& m_zip;
    const DCL& m_options;
    USERFUNCTION& m_callbacks;
    Reporter m_reporter;
    std::string m_archivePath;
    std::string m_folderPath;
    std::unique_ptr<zip_t, ArchiveCloser> m_archive;
    OutputFolder m_folder;
    std::vector<char> m_buffer;

    std::vector<std::string> m_include;
    std::vector<std::string> m_exclude;
    std::vector<bool> m_includeMatched;
    std::vector<bool> m_excludeMatched;

    std::string m_password; // the last right password, tried first on the next member
    bool m_havePassword = false;
    ReplaceMode m_replaceMode = ReplaceMode::Ask;

    // What extraction may write in all: an archive that expands beyond it
    // (a small archive of overlapping members can fill the disk) is refused.
    unsigned long long m_expansionLimit = 0;
    unsigned long long m_expanded = 0;

    int m_worst = PK_OK;
    int m_done = 0; // members extracted, tested, printed or listed
    int m_written = 0;
    int m_badPassword = 0;
    int m_unsupported = 0;
};

} // namespace platform::unzip
