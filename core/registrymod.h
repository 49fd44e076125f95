#pragma once

#include <QString>
#include <QVariant>

// Writing one registry value of type text (1) or 32-bit number (4).
namespace Registry {

// Opens the key, writes the value and closes the key; reports nothing.
void SetKeyValue(quint32 rootKey, const QString& keyName, const QString& valueName, const QVariant& value,
                 qint32 valueType);

// Writes one value into an open key; returns the registry call's result
// (0 for a type other than 1 or 4, which writes nothing).
qint32 SetValueEx(quint32 openKey, const QString& valueName, qint32 valueType, const QVariant& value);

} // namespace Registry
