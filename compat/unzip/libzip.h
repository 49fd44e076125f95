#pragma once

#include <zip.h>

#include <memory>
#include <string>

namespace platform::unzip {

// The libzip calls the unpacker makes. libzip, with the compression and crypto
// libraries it brings along, is loaded only while an archive is unpacked: the
// program unpacks its help once at start and would otherwise keep all of them
// mapped for the rest of its run.
struct LibZip {
    decltype(&::zip_open) open = nullptr;
    decltype(&::zip_discard) discard = nullptr;
    decltype(&::zip_get_num_entries) numEntries = nullptr;
    decltype(&::zip_get_archive_comment) archiveComment = nullptr;
    decltype(&::zip_stat_init) statInit = nullptr;
    decltype(&::zip_stat_index) statIndex = nullptr;
    decltype(&::zip_file_get_external_attributes) externalAttributes = nullptr;
    decltype(&::zip_compression_method_supported) compressionSupported = nullptr;
    decltype(&::zip_encryption_method_supported) encryptionSupported = nullptr;
    decltype(&::zip_fopen_index) openMember = nullptr;
    decltype(&::zip_fopen_index_encrypted) openEncryptedMember = nullptr;
    decltype(&::zip_fread) readMember = nullptr;
    decltype(&::zip_fclose) closeMember = nullptr;
    decltype(&::zip_get_error) archiveError = nullptr;
    decltype(&::zip_file_get_error) memberError = nullptr;
    decltype(&::zip_error_code_zip) errorCode = nullptr;
    decltype(&::zip_error_clear) clearError = nullptr;
    decltype(&::zip_libzip_version) version = nullptr;
};

// Loads libzip; its calls stay valid while the answer is held, and the library
// is unloaded when the last holder lets go. Empty, with `error` set, when the
// library cannot be loaded or lacks a call.
std::shared_ptr<const LibZip> loadLibZip(std::string& error);

} // namespace platform::unzip
