#include "core/registrymod.h"

#include "compat/vb/conversions.h"
#include "compat/win32/registry.h"

namespace Registry {

void SetKeyValue(quint32 rootKey, const QString& keyName, const QString& valueName, const QVariant& value,
                 qint32 valueType)
{
    platform::HKEY key = 0;
    platform::RegOpenKeyEx(rootKey, keyName, 0, platform::KEY_SET_VALUE, &key);
    try {
        SetValueEx(key, valueName, valueType, value);
    } catch (const std::exception&) {
        // A value that does not convert writes nothing; the caller is not told.
    }
    platform::RegCloseKey(key);
}

qint32 SetValueEx(quint32 openKey, const QString& valueName, qint32 valueType, const QVariant& value)
{
    switch (valueType) {
    case platform::REG_SZ: {
        QByteArray data = value.toString().toLocal8Bit();
        data.append('\0');
        return static_cast<qint32>(platform::RegSetValueEx(openKey, valueName, 0, platform::REG_SZ, data.constData(),
                                                           static_cast<quint32>(data.size())));
    }
    case platform::REG_DWORD: {
        const qint32 number = platform::toInt32(value.toString());
        char bytes[4];
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<char>((static_cast<quint32>(number) >> (8 * i)) & 0xFF);
        return static_cast<qint32>(platform::RegSetValueEx(openKey, valueName, 0, platform::REG_DWORD, bytes, 4));
    }
    default: return 0;
    }
}

} // namespace Registry
