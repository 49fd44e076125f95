#include "compat/win32/registry.h"

#include "platform/base/filelock.h"
#include "platform/base/filestamp.h"
#include "platform/base/atomicfile.h"
#include "platform/base/storefile.h"
#include "platform/system/autostart.h"
#include "compat/win32/registryfile.h"
#include "compat/win32/registryhive.h"
#include "compat/win32/screensavervalues.h"
#include "platform/system/xscreensaver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QStandardPaths>

#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace platform {
namespace {

const QLatin1String kRunKey("software\\microsoft\\windows\\currentversion\\run");
const QLatin1String kRunValue("vantora");

// How long a writer waits for another process to finish its write.
constexpr int kLockWaitMs = 5000;

QString rootName(HKEY root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    default: return {};
    }
}

// Keys every Windows installation has, which the program opens without creating.
QStringList baselineKeys(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE)
        return {QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run")};
    if (root == HKEY_CURRENT_USER)
        return {QStringLiteral("Control Panel\\Desktop"), QStringLiteral("Software")};
    return {};
}

QString lookupPath(const QString& path) { return registryLookupName(splitKeyPath(path).join(QLatin1Char('\\'))); }

QString joinPath(const QString& base, const QString& sub)
{
    return (splitKeyPath(base) + splitKeyPath(sub)).join(QLatin1Char('\\'));
}

bool isValidName(const QString& name)
{
    for (const QChar c : name)
        if (c.unicode() < 0x20)
            return false;
    return true;
}

// What a text value holds, up to its first NUL.
QString textOf(const RegistryValue& value)
{
    if (value.type != REG_SZ)
        return {};
    const qsizetype end = value.data.indexOf('\0');
    return QString::fromUtf8(end < 0 ? value.data : value.data.left(end));
}

RegistryValue normalised(RegistryValue value)
{
    if (value.type == REG_SZ && !value.data.endsWith('\0'))
        value.data.append('\0');
    return value;
}

using platform::FileStamp;

// A larger registry file is not one this program wrote.
constexpr qint64 kMaxRegistryFileBytes = 16 * 1024 * 1024;
const QString kWhat = QStringLiteral("its registry file");

// One root's keys as last read (and changed) by this process. A file that
// could not be read is never written over: `refusal` says why, and changes
// live in `hive` only.
struct HiveState {
    RegistryHive hive;
    FileStamp stamp;
    QString refusal;
    bool clean = true;
};

HiveState readHiveFile(HKEY root, const QString& path)
{
    const StoreFileRead read = readStoreFile(path, kMaxRegistryFileBytes);
    HiveState state;
    state.stamp = read.refused() ? FileStamp::ofPath(path) : read.stamp;
    state.refusal = read.reason;
    if (read.refused())
        tellUnreadable(kWhat, path, read.reason);
    else
        state.hive = parseRegistryFile(read.bytes, rootName(root), &state.clean);
    if (!state.clean)
        tellDamaged(kWhat, path);
    for (const QString& key : baselineKeys(root))
        state.hive.ensureKey(key);
    return state;
}

struct OpenKey {
    HKEY root = 0;
    QString path;
    quint32 access = 0;
};

struct ProviderEntry {
    HKEY root = 0;
    QStringList prefix; // as registered
    QString lookupPrefix;
    std::shared_ptr<RegistryProvider> provider;
};

// A value kept outside the registry files (see RegistryValueMapping).
struct MappingEntry {
    HKEY root = 0;
    QString lookupKey;
    QString lookupName;
    std::shared_ptr<RegistryValueMapping> mapping;
};

struct ProviderMatch {
    RegistryProvider* provider = nullptr;
    QString relativePath;
};

class RegistryStore {
public:
    static RegistryStore& instance()
    {
        static RegistryStore store;
        return store;
    }

    // The screensaver values live in the desktop screensaver's own file.
    RegistryStore()
    {
        const QString desktop = lookupPath(QStringLiteral("Control Panel\\Desktop"));
        m_mappings.append({HKEY_CURRENT_USER, desktop, QStringLiteral("scrnsave.exe"), screenSaverFileValue()});
        m_mappings.append(
            {HKEY_CURRENT_USER, desktop, QStringLiteral("screensaverissecure"), screenSaverSecureValue()});
    }

    RegistryValueMapping* mappingFor(HKEY root, const QString& path, const QString& name) const
    {
        if (root != HKEY_CURRENT_USER)
            return nullptr;
        const QString key = lookupPath(path);
        const QString value = registryLookupName(name);
        for (const MappingEntry& entry : m_mappings)
            if (entry.lookupKey == key && entry.lookupName == value)
                return entry.mapping.get();
        return nullptr;
    }

    std::optional<OpenKey> resolve(HKEY handle) const
    {
        if (!rootName(handle).isEmpty())
            return OpenKey{handle, QString(), KEY_ALL_ACCESS};
        const auto it = m_handles.constFind(handle);
        if (it == m_handles.constEnd())
            return std::nullopt;
        return *it;
    }

    HKEY open(const OpenKey& key)
    {
        const HKEY handle = m_nextHandle++;
        m_handles.insert(handle, key);
        return handle;
    }

    bool close(HKEY handle) { return m_handles.remove(handle) > 0; }

    std::optional<ProviderMatch> providerFor(HKEY root, const QString& path) const
    {
        const QString lookup = lookupPath(path);
        for (const ProviderEntry& entry : m_providers) {
            if (entry.root != root)
                continue;
            if (lookup == entry.lookupPrefix || lookup.startsWith(entry.lookupPrefix + QLatin1Char('\\')))
                return ProviderMatch{entry.provider.get(),
                                     splitKeyPath(path).mid(entry.prefix.size()).join(QLatin1Char('\\'))};
        }
        return std::nullopt;
    }

    bool keyExists(HKEY root, const QString& path)
    {
        if (const auto match = providerFor(root, path))
            return match->provider->hasKey(match->relativePath);
        return hive(root).hasKey(path) || !providerChildren(root, path).isEmpty();
    }

    // Names of the direct subkeys, in order of their lookup names (a provider gives its own order).
    QStringList subKeys(HKEY root, const QString& path)
    {
        if (const auto match = providerFor(root, path))
            return match->provider->subKeys(match->relativePath);
        QMap<QString, QString> children = hive(root).subKeys(path);
        children.insert(providerChildren(root, path));
        return children.values();
    }

    std::optional<RegistryValue> value(HKEY root, const QString& path, const QString& name)
    {
        if (const RegistryValueMapping* mapping = mappingFor(root, path, name))
            return mapping->read();
        if (const auto match = providerFor(root, path)) {
            const auto found = match->provider->value(match->relativePath, name);
            return found ? std::optional(normalised(*found)) : std::nullopt;
        }
        const HiveKey* key = hive(root).key(path);
        if (!key)
            return std::nullopt;
        const auto it = key->values.constFind(registryLookupName(name));
        return it == key->values.constEnd() ? std::nullopt : std::optional(it->value);
    }

    // Applies a change to the file of root under its lock: re-reads the file
    // (another process may have written it), lets change edit what it holds,
    // and writes the result when change answers ERROR_SUCCESS.
    qint32 modify(HKEY root, const std::function<qint32(RegistryHive&)>& change)
    {
        if (m_batchDepth > 0)
            return modifyInBatch(root, change);
        const QString path = registryFilePath(root);
        QDir().mkpath(QFileInfo(path).absolutePath());
        const FileLock lock(path + QStringLiteral(".lock"), kLockWaitMs);
        if (!lock.held())
            return ERROR_ACCESS_DENIED;
        HiveState fresh = readHiveFile(root, path);
        if (!fresh.refusal.isEmpty()) {
            // Worked on in memory: what this process changed before stays.
            return change(hiveState(root).hive);
        }
        const qint32 result = change(fresh.hive);
        if (result != ERROR_SUCCESS)
            return result;
        if (!fresh.clean)
            keepDamagedCopy(path);
        if (!platform::writeFileAtomically(path, formatRegistryFile(fresh.hive, rootName(root))))
            return ERROR_ACCESS_DENIED;
        fresh.stamp = FileStamp::ofPath(path);
        fresh.clean = true;
        m_hives[root] = std::move(fresh);
        return ERROR_SUCCESS;
    }

    void beginBatch() { ++m_batchDepth; }

    // Writes each file the batch changed, once, and lets its lock go.
    void endBatch()
    {
        if (--m_batchDepth > 0)
            return;
        for (auto& [root, pending] : m_batches) {
            if (!pending.changed)
                continue;
            const QString path = registryFilePath(root);
            if (!pending.state.clean)
                keepDamagedCopy(path);
            if (!platform::writeFileAtomically(path, formatRegistryFile(pending.state.hive, rootName(root))))
                continue; // the changes stay in this process's memory, as for a file it cannot read
            pending.state.stamp = FileStamp::ofPath(path);
            pending.state.clean = true;
            m_hives[root] = pending.state;
        }
        m_batches.clear();
    }

    void addProvider(HKEY root, const QString& prefix, std::shared_ptr<RegistryProvider> provider)
    {
        removeProvider(root, prefix);
        m_providers.append(ProviderEntry{root, splitKeyPath(prefix), lookupPath(prefix), std::move(provider)});
    }

    void removeProvider(HKEY root, const QString& prefix)
    {
        const QString lookup = lookupPath(prefix);
        m_providers.removeIf([&](const ProviderEntry& e) { return e.root == root && e.lookupPrefix == lookup; });
    }

    void reset()
    {
        m_hives.clear();
        m_handles.clear();
    }

private:
    // A file a batch changes: locked from its first change to the batch's end.
    struct PendingFile {
        std::unique_ptr<FileLock> lock;
        HiveState state;
        bool changed = false;
    };

    // Within a batch a change goes to the file's keys as read at the batch's
    // first change of that file (under its lock) and is seen by reads at once.
    qint32 modifyInBatch(HKEY root, const std::function<qint32(RegistryHive&)>& change)
    {
        auto it = m_batches.find(root);
        if (it == m_batches.end()) {
            const QString path = registryFilePath(root);
            QDir().mkpath(QFileInfo(path).absolutePath());
            PendingFile pending;
            pending.lock = std::make_unique<FileLock>(path + QStringLiteral(".lock"), kLockWaitMs);
            if (!pending.lock->held())
                return ERROR_ACCESS_DENIED;
            pending.state = readHiveFile(root, path);
            it = m_batches.emplace(root, std::move(pending)).first;
        }
        PendingFile& pending = it->second;
        if (!pending.state.refusal.isEmpty())
            return change(hiveState(root).hive);
        const qint32 result = change(pending.state.hive);
        if (result == ERROR_SUCCESS) {
            pending.changed = true;
            m_hives[root] = pending.state;
        }
        return result;
    }

    // The hive as the file now holds it, read again when another process changed it.
    const RegistryHive& hive(HKEY root) { return hiveState(root).hive; }

    HiveState& hiveState(HKEY root)
    {
        const QString path = registryFilePath(root);
        const FileStamp stamp = FileStamp::ofPath(path);
        auto it = m_hives.find(root);
        if (it == m_hives.end() || !(it->stamp == stamp))
            it = m_hives.insert(root, readHiveFile(root, path));
        return *it;
    }

    // The keys below path that lead to a provider's prefix: lookup name -> name.
    QMap<QString, QString> providerChildren(HKEY root, const QString& path) const
    {
        const QStringList parts = splitKeyPath(path);
        const QString lookup = lookupPath(path);
        const QString below = lookup.isEmpty() ? QString() : lookup + QLatin1Char('\\');
        QMap<QString, QString> children;
        for (const ProviderEntry& entry : m_providers)
            if (entry.root == root && entry.prefix.size() > parts.size() && entry.lookupPrefix.startsWith(below))
                children.insert(registryLookupName(entry.prefix[parts.size()]), entry.prefix[parts.size()]);
        return children;
    }

    QMap<HKEY, HiveState> m_hives;
    std::map<HKEY, PendingFile> m_batches;
    int m_batchDepth = 0;
    QHash<HKEY, OpenKey> m_handles;
    HKEY m_nextHandle = 0x100;
    QList<ProviderEntry> m_providers;
    QList<MappingEntry> m_mappings;
};

RegistryStore& store() { return RegistryStore::instance(); }

bool isRunValue(const OpenKey& key, const QString& valueName)
{
    return key.root == HKEY_LOCAL_MACHINE && lookupPath(key.path) == kRunKey
        && registryLookupName(valueName) == kRunValue;
}

// Resolves a handle for a call that needs the given right.
qint32 checkHandle(HKEY handle, quint32 right, std::optional<OpenKey>* key)
{
    *key = store().resolve(handle);
    if (!*key)
        return ERROR_INVALID_HANDLE;
    if (((*key)->access & right) != right)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

qint32 copyOut(const QByteArray& bytes, char* data, quint32* size)
{
    const auto needed = static_cast<quint32>(bytes.size());
    if (!data) {
        if (size)
            *size = needed;
        return ERROR_SUCCESS;
    }
    if (!size)
        return ERROR_INVALID_PARAMETER;
    const quint32 room = *size;
    *size = needed;
    if (room < needed)
        return ERROR_MORE_DATA;
    if (needed > 0)
        std::memcpy(data, bytes.constData(), needed);
    return ERROR_SUCCESS;
}

} // namespace

qint32 RegOpenKeyEx(HKEY key, const QString& subKey, quint32 /*options*/, quint32 sam, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    const auto base = store().resolve(key);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const QString path = joinPath(base->path, subKey);
    if (!store().keyExists(base->root, path))
        return ERROR_FILE_NOT_FOUND;
    *result = store().open(OpenKey{base->root, path, sam});
    return ERROR_SUCCESS;
}

qint32 RegCreateKeyEx(HKEY key, const QString& subKey, quint32 /*options*/, quint32 sam, HKEY* result,
                      quint32* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    const auto base = store().resolve(key);
    if (!base)
        return ERROR_INVALID_HANDLE;
    if (!isValidName(subKey))
        return ERROR_INVALID_PARAMETER;
    const QString path = joinPath(base->path, subKey);
    bool created = false;
    if (!store().keyExists(base->root, path)) {
        if (store().providerFor(base->root, path) || !(base->access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        const qint32 written = store().modify(base->root, [&](RegistryHive& hive) {
            created = hive.ensureKey(path);
            return ERROR_SUCCESS;
        });
        if (written != ERROR_SUCCESS)
            return written;
    }
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = store().open(OpenKey{base->root, path, sam});
    return ERROR_SUCCESS;
}

qint32 RegQueryValueEx(HKEY key, const QString& valueName, quint32* type, char* data, quint32* size)
{
    QByteArray bytes;
    const qint32 result = RegQueryValueEx(key, valueName, type, &bytes);
    return result == ERROR_SUCCESS ? copyOut(bytes, data, size) : result;
}

qint32 RegQueryValueEx(HKEY key, const QString& valueName, quint32* type, QByteArray* data)
{
    std::optional<OpenKey> open;
    if (const qint32 result = checkHandle(key, KEY_QUERY_VALUE, &open); result != ERROR_SUCCESS)
        return result;
    const auto value = store().value(open->root, open->path, valueName);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    if (data)
        *data = value->data;
    return ERROR_SUCCESS;
}

qint32 RegSetValueEx(HKEY key, const QString& valueName, quint32 /*reserved*/, quint32 type, const char* data,
                     quint32 size)
{
    std::optional<OpenKey> open;
    if (const qint32 result = checkHandle(key, KEY_SET_VALUE, &open); result != ERROR_SUCCESS)
        return result;
    if (!isValidName(valueName) || (!data && size > 0))
        return ERROR_INVALID_PARAMETER;
    if (store().providerFor(open->root, open->path))
        return ERROR_ACCESS_DENIED;
    const RegistryValue value = normalised({type, QByteArray(data, static_cast<qsizetype>(size))});
    if (RegistryValueMapping* mapping = store().mappingFor(open->root, open->path, valueName))
        return mapping->write(value);
    const qint32 result = store().modify(open->root, [&](RegistryHive& hive) {
        auto& values = hive.keyForWriting(open->path).values;
        const QString lookup = registryLookupName(valueName);
        // A value set again under another case keeps the name it was created with.
        const QString name = values.contains(lookup) ? values[lookup].name : valueName;
        values.insert(lookup, HiveValue{name, value});
        return ERROR_SUCCESS;
    });
    if (result == ERROR_SUCCESS && isRunValue(*open, valueName))
        syncAutostartEntry(textOf(value));
    return result;
}

qint32 RegDeleteValue(HKEY key, const QString& valueName)
{
    std::optional<OpenKey> open;
    if (const qint32 result = checkHandle(key, KEY_SET_VALUE, &open); result != ERROR_SUCCESS)
        return result;
    if (store().providerFor(open->root, open->path))
        return ERROR_ACCESS_DENIED;
    if (RegistryValueMapping* mapping = store().mappingFor(open->root, open->path, valueName))
        return mapping->remove();
    const qint32 result = store().modify(open->root, [&](RegistryHive& hive) {
        if (!hive.hasKey(open->path))
            return ERROR_FILE_NOT_FOUND;
        const bool removed = hive.keyForWriting(open->path).values.remove(registryLookupName(valueName)) > 0;
        return removed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (result == ERROR_SUCCESS && isRunValue(*open, valueName))
        syncAutostartEntry(QString());
    return result;
}

qint32 RegEnumKey(HKEY key, quint32 index, QString* name)
{
    std::optional<OpenKey> open;
    if (const qint32 result = checkHandle(key, KEY_ENUMERATE_SUB_KEYS, &open); result != ERROR_SUCCESS)
        return result;
    if (!name)
        return ERROR_INVALID_PARAMETER;
    const QStringList names = store().subKeys(open->root, open->path);
    if (index >= static_cast<quint32>(names.size()))
        return ERROR_NO_MORE_ITEMS;
    *name = names[static_cast<qsizetype>(index)];
    return ERROR_SUCCESS;
}

RegistryWriteBatch::RegistryWriteBatch() { store().beginBatch(); }
RegistryWriteBatch::~RegistryWriteBatch() { store().endBatch(); }

qint32 RegFlushKey(HKEY key) { return store().resolve(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }

qint32 RegCloseKey(HKEY key)
{
    if (!rootName(key).isEmpty() || store().close(key))
        return ERROR_SUCCESS;
    return ERROR_INVALID_HANDLE;
}

void registerRegistryProvider(HKEY root, const QString& keyPrefix, std::shared_ptr<RegistryProvider> provider)
{
    store().addProvider(root, keyPrefix, std::move(provider));
}

void unregisterRegistryProvider(HKEY root, const QString& keyPrefix) { store().removeProvider(root, keyPrefix); }

QString registryFilePath(HKEY root)
{
    const QString name = rootName(root);
    if (name.isEmpty())
        return {};
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Vantora/registry/") + name + QStringLiteral(".reg");
}

void registryReloadForTests() { store().reset(); }

} // namespace platform
