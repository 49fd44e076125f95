#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace platform {

// One registry value: its type (REG_SZ, REG_DWORD, ...) and its raw bytes.
// Text values hold UTF-8 followed by one NUL; DWORD values four little-endian bytes.
struct RegistryValue {
    quint32 type = 0;
    QByteArray data;
};

// Answers for a read-only subtree of the registry that is not kept in the
// registry files (for example a database the system builds on the fly).
// Registered for a key prefix with registerRegistryProvider(); every open,
// enumeration and query at or below the prefix is then put to the provider,
// and every write there is refused with ERROR_ACCESS_DENIED.
//
// Paths given to a provider are relative to its prefix: "" is the prefix key
// itself, deeper keys are names joined by '\'. Names are passed as the caller
// wrote them; a provider compares them without regard to case, as Windows does.
class RegistryProvider {
public:
    virtual ~RegistryProvider() = default;

    // Whether the key exists.
    virtual bool hasKey(const QString& path) const = 0;
    // The names of the key's direct subkeys, in their stored case; empty for a missing key.
    virtual QStringList subKeys(const QString& path) const = 0;
    // The named value of the key ("" is the key's default value); nullopt when missing.
    virtual std::optional<RegistryValue> value(const QString& path, const QString& name) const = 0;
};

} // namespace platform

namespace platform {

// Answers for one value that the desktop keeps outside the registry files
// (a screensaver setting held in the screensaver's own preferences file).
// Reads and writes of that value go to the mapping instead of the files.
class RegistryValueMapping {
public:
    virtual ~RegistryValueMapping() = default;
    // The value as the program would find it; nullopt when missing.
    virtual std::optional<RegistryValue> read() const = 0;
    // Stores a value (text values carry their NUL); an ERROR_ code.
    virtual qint32 write(const RegistryValue& value) = 0;
    // Deletes the value; an ERROR_ code.
    virtual qint32 remove() = 0;
};

} // namespace platform
