#pragma once

#include "compat/win32/registryprovider.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The registry the program talks to: the Win32 registry calls it makes, kept
// per user in one text file per root key under the XDG config folder
// ($XDG_CONFIG_HOME/Vantora/registry/HKEY_LOCAL_MACHINE.reg, ...). The
// local-machine root is per user too: a desktop user cannot write machine-wide
// files. Every successful write goes to disk at once; several processes may
// write the same file (each write locks, re-reads, applies its change and
// replaces the file). Use from the window thread only.
//
// Two values act on the desktop as on Windows: the "Vantora" value under
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run keeps the
// XDG autostart entry in step (see autostart.h), and subtrees registered with
// registerRegistryProvider() are answered by their provider, read-only.

namespace platform {

// A key handle is a 32-bit number, as in the 32-bit Windows API: one of the
// predefined roots below, or a number handed out by RegOpenKeyEx or
// RegCreateKeyEx (never 0 and never a root value) that stays valid until
// RegCloseKey. Results are Win32 error codes (ERROR_SUCCESS is 0).
using HKEY = quint32;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

inline constexpr quint32 REG_NONE = 0;
inline constexpr quint32 REG_SZ = 1;
inline constexpr quint32 REG_BINARY = 3;
inline constexpr quint32 REG_DWORD = 4;

inline constexpr quint32 KEY_QUERY_VALUE = 0x0001;
inline constexpr quint32 KEY_SET_VALUE = 0x0002;
inline constexpr quint32 KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr quint32 KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr quint32 KEY_ALL_ACCESS = 0xF003F;
inline constexpr quint32 KEY_READ = 0x20019;
inline constexpr quint32 KEY_WRITE = 0x20006;

inline constexpr qint32 ERROR_SUCCESS = 0;
inline constexpr qint32 ERROR_FILE_NOT_FOUND = 2;
inline constexpr qint32 ERROR_ACCESS_DENIED = 5;
inline constexpr qint32 ERROR_INVALID_HANDLE = 6;
inline constexpr qint32 ERROR_INVALID_PARAMETER = 87;
inline constexpr qint32 ERROR_MORE_DATA = 234;
inline constexpr qint32 ERROR_NO_MORE_ITEMS = 259;

inline constexpr quint32 REG_CREATED_NEW_KEY = 1;
inline constexpr quint32 REG_OPENED_EXISTING_KEY = 2;

// Opens an existing subkey ("" opens the key itself again) with the access
// rights in sam; the rights are checked by the calls made on the handle.
// ERROR_FILE_NOT_FOUND when the key does not exist. options is unused (0).
qint32 RegOpenKeyEx(HKEY key, const QString& subKey, quint32 options, quint32 sam, HKEY* result);

// Opens the subkey, creating it and any missing parent first. disposition
// (may be null) tells REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. The
// Win32 reserved, class and security arguments are left out: callers pass
// nothing for them. options is unused (0).
qint32 RegCreateKeyEx(HKEY key, const QString& subKey, quint32 options, quint32 sam, HKEY* result,
                      quint32* disposition);

// Win32's two-call pattern: with data null, *size receives the value's size;
// with a buffer of *size bytes that is too small, ERROR_MORE_DATA and *size
// receives the size needed. Text values (REG_SZ) count their closing NUL, so
// an empty text has size 1. type (may be null) receives the value's type.
// valueName "" is the key's default value.
qint32 RegQueryValueEx(HKEY key, const QString& valueName, quint32* type, char* data, quint32* size);
// The same, reading the whole value into data (may be null).
qint32 RegQueryValueEx(HKEY key, const QString& valueName, quint32* type, QByteArray* data);

// Stores size bytes of data under valueName. A REG_SZ value that does not end
// in NUL gets one, so every stored text carries its terminator. reserved is
// unused (0).
qint32 RegSetValueEx(HKEY key, const QString& valueName, quint32 reserved, quint32 type, const char* data,
                     quint32 size);

qint32 RegDeleteValue(HKEY key, const QString& valueName);

// The name of the index-th direct subkey (in case-insensitive order of names);
// ERROR_NO_MORE_ITEMS past the last.
qint32 RegEnumKey(HKEY key, quint32 index, QString* name);

// While one lives, the changes of this process are gathered: each registry
// file they touch is locked from its first change on, and written once when
// the last batch ends (a reader elsewhere sees none of them or all). Reads here
// see them at once. A file that cannot be written then keeps the changes in
// this process's memory only. For a step that makes several changes at once.
class RegistryWriteBatch {
public:
    RegistryWriteBatch();
    ~RegistryWriteBatch();
    RegistryWriteBatch(const RegistryWriteBatch&) = delete;
    RegistryWriteBatch& operator=(const RegistryWriteBatch&) = delete;
};
// Writes are on disk when RegSetValueEx returns (or when the batch it was
// made in ends); this only checks the handle.
qint32 RegFlushKey(HKEY key);
qint32 RegCloseKey(HKEY key);

// Lets provider answer for the subtree at keyPrefix of root (names compare
// without regard to case). The parent keys of the prefix exist for opening
// and enumeration even when no file holds them. A second provider for the
// same prefix replaces the first.
void registerRegistryProvider(HKEY root, const QString& keyPrefix, std::shared_ptr<RegistryProvider> provider);
void unregisterRegistryProvider(HKEY root, const QString& keyPrefix);

// The file that holds a root key; empty for an unknown root.
QString registryFilePath(HKEY root);

// Forgets everything held in memory and closes every handle, as a restart
// would; the next call reads the files again. Providers stay registered.
void registryReloadForTests();

} // namespace platform
