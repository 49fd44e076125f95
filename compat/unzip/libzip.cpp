#include "compat/unzip/libzip.h"

#include "platform/system/residentpages.h"

#include <dlfcn.h>

#include <mutex>
#include <set>

namespace platform::unzip {
namespace {

struct LoadedLibZip : LibZip {
    void* handle = nullptr;
    std::set<std::string> mappedBefore;
};

template <typename Call>
bool resolve(void* handle, const char* name, Call& call, std::string& error)
{
    void* address = ::dlsym(handle, name);
    if (!address) {
        error = std::string("the zip library has no ") + name;
        return false;
    }
    call = reinterpret_cast<Call>(address);
    return true;
}

bool resolveAll(LoadedLibZip& zip, std::string& error)
{
    void* h = zip.handle;
    return resolve(h, "zip_open", zip.open, error) && resolve(h, "zip_discard", zip.discard, error)
        && resolve(h, "zip_get_num_entries", zip.numEntries, error)
        && resolve(h, "zip_get_archive_comment", zip.archiveComment, error)
        && resolve(h, "zip_stat_init", zip.statInit, error) && resolve(h, "zip_stat_index", zip.statIndex, error)
        && resolve(h, "zip_file_get_external_attributes", zip.externalAttributes, error)
        && resolve(h, "zip_compression_method_supported", zip.compressionSupported, error)
        && resolve(h, "zip_encryption_method_supported", zip.encryptionSupported, error)
        && resolve(h, "zip_fopen_index", zip.openMember, error)
        && resolve(h, "zip_fopen_index_encrypted", zip.openEncryptedMember, error)
        && resolve(h, "zip_fread", zip.readMember, error) && resolve(h, "zip_fclose", zip.closeMember, error)
        && resolve(h, "zip_get_error", zip.archiveError, error)
        && resolve(h, "zip_file_get_error", zip.memberError, error)
        && resolve(h, "zip_error_code_zip", zip.errorCode, error)
        && resolve(h, "zip_error_clear", zip.clearError, error) && resolve(h, "zip_libzip_version", zip.version, error);
}

// A library libzip brought along may refuse to be unloaded (libcrypto is
// marked so): it stays mapped, unused, and only its resident pages can go.
// Loading libzip again touches them anew, so every unloading releases all
// the libraries left behind so far.
void unload(const LibZip* zip)
{
    static std::set<std::string> leftBehind;
    const auto* loaded = static_cast<const LoadedLibZip*>(zip);
    ::dlclose(loaded->handle);
    for (const std::string& path : platform::mappedFiles())
        if (!loaded->mappedBefore.count(path))
            leftBehind.insert(path);
    platform::releaseFilePages(leftBehind);
    delete loaded;
}

} // namespace

std::shared_ptr<const LibZip> loadLibZip(std::string& error)
{
    static std::mutex guard;
    static std::weak_ptr<const LibZip> current;
    const std::lock_guard<std::mutex> lock(guard);
    if (auto held = current.lock())
        return held;
    auto zip = std::make_unique<LoadedLibZip>();
    zip->mappedBefore = platform::mappedFiles();
    zip->handle = ::dlopen(VANTORA_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!zip->handle) {
        const char* why = ::dlerror();
        error = std::string("cannot load the zip library ") + VANTORA_LIBZIP_SONAME
            + (why ? std::string(": ") + why : "");
        return nullptr;
    }
    if (!resolveAll(*zip, error)) {
        ::dlclose(zip->handle);
        return nullptr;
    }
    std::shared_ptr<const LibZip> held(zip.release(), unload);
    current = held;
    return held;
}

} // namespace platform::unzip
