#pragma once

#include "compat/win32/registryprovider.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace platform {

// Splits a key path at its backslashes; empty parts (a doubled or leading
// backslash) are dropped.
QStringList splitKeyPath(const QString& path);

// The form under which a key or value name is looked up: names compare
// without regard to case, but each keeps the case it was created with.
QString registryLookupName(const QString& name);

struct HiveValue {
    QString name;
    RegistryValue value;
};

struct HiveKey {
    QString path;                    // names joined by '\', in stored case; "" is the hive's root
    QMap<QString, HiveValue> values; // by lookup name
};

// The keys and values of one root key (one registry file). The root key
// itself always exists.
class RegistryHive {
public:
    RegistryHive();

    bool hasKey(const QString& path) const;
    const HiveKey* key(const QString& path) const;
    // Creates the key and any missing parent; returns whether anything was created.
    bool ensureKey(const QString& path);
    // The key, created when missing.
    HiveKey& keyForWriting(const QString& path);

    // Direct subkeys of a key: lookup name -> stored name.
    QMap<QString, QString> subKeys(const QString& path) const;

    // Every key, parents before their children.
    const QMap<QString, HiveKey>& keys() const { return m_keys; }

private:
    QMap<QString, HiveKey> m_keys; // by lookup path
};

} // namespace platform
