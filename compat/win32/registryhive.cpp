#include "compat/win32/registryhive.h"

namespace platform {

QStringList splitKeyPath(const QString& path) { return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts); }

QString registryLookupName(const QString& name) { return name.toLower(); }

namespace {

QString lookupPath(const QString& path) { return registryLookupName(splitKeyPath(path).join(QLatin1Char('\\'))); }

} // namespace

RegistryHive::RegistryHive() { m_keys.insert(QString(), HiveKey{}); }

bool RegistryHive::hasKey(const QString& path) const { return m_keys.contains(lookupPath(path)); }

const HiveKey* RegistryHive::key(const QString& path) const
{
    const auto it = m_keys.constFind(lookupPath(path));
    return it == m_keys.constEnd() ? nullptr : &it.value();
}

bool RegistryHive::ensureKey(const QString& path)
{
    bool created = false;
    QString lookup;
    QString stored;
    for (const QString& part : splitKeyPath(path)) {
        lookup = lookup.isEmpty() ? registryLookupName(part) : lookup + QLatin1Char('\\') + registryLookupName(part);
        const auto it = m_keys.constFind(lookup);
        if (it == m_keys.constEnd()) {
            stored = stored.isEmpty() ? part : stored + QLatin1Char('\\') + part;
            m_keys.insert(lookup, HiveKey{stored, {}});
            created = true;
        } else {
            stored = it->path; // an existing key keeps the case it was created with
        }
    }
    return created;
}

HiveKey& RegistryHive::keyForWriting(const QString& path)
{
    ensureKey(path);
    return m_keys[lookupPath(path)];
}

QMap<QString, QString> RegistryHive::subKeys(const QString& path) const
{
    const QString parent = lookupPath(path);
    const QString prefix = parent.isEmpty() ? QString() : parent + QLatin1Char('\\');
    QMap<QString, QString> children;
    for (auto it = m_keys.lowerBound(prefix); it != m_keys.cend() && it.key().startsWith(prefix); ++it) {
        const QString rest = it.key().mid(prefix.size());
        if (!rest.isEmpty() && !rest.contains(QLatin1Char('\\')))
            children.insert(rest, splitKeyPath(it->path).constLast());
    }
    return children;
}

} // namespace platform
