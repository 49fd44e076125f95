#include "saver/modss.h"

#include "compat/win32/registry.h"
#include "compat/win32/systemparameters.h"
#include "platform/system/xscreensaver.h"

namespace modSS {
namespace {

const QString kDesktop = QStringLiteral("Control Panel\\Desktop");
const QString kSaverValue = QStringLiteral("SCRNSAVE.EXE");
const QString kSecureValue = QStringLiteral("ScreenSaverIsSecure");

} // namespace

bool SetSSActive(bool flag)
{
    qint32 unused = 0;
    return platform::SystemParametersInfo(platform::SPI_SETSCREENSAVEACTIVE, flag ? 1 : 0, &unused, 0);
}

QString CheckSSInstalled() { return RegReadStr(platform::HKEY_CURRENT_USER, kDesktop, kSaverValue, QString()); }

bool IsVNInstalled(const QString& registered)
{
    for (const char* spelling :
         {"C:\\Windows\\VN.scr", "C:\\WINDOWS\\VN.scr", "C:\\Windows\\Vn.scr", "C:\\WINDOWS\\Vn.scr"})
        if (registered == QLatin1String(spelling))
            return true;
    return false;
}

bool SetSSFile(const QString& path) { return RegWriteStr(platform::HKEY_CURRENT_USER, kDesktop, kSaverValue, path); }

bool GetSSSecure()
{
    const QString value = RegReadStr(platform::HKEY_CURRENT_USER, kDesktop, kSecureValue, QStringLiteral("0"));
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok && number == 1;
}

bool ToggleSSSecure()
{
    return RegWriteStr(platform::HKEY_CURRENT_USER, kDesktop, kSecureValue,
                       GetSSSecure() ? QStringLiteral("0") : QStringLiteral("1"));
}

qint32 GetSSTimeout()
{
    qint32 seconds = 0;
    platform::SystemParametersInfo(platform::SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds / 60;
}

bool SetSSTimeout(qint32 minutes)
{
    if (minutes < MinIdleMinutes || minutes > MaxIdleMinutes)
        return false;
    qint32 unused = 0;
    return platform::SystemParametersInfo(platform::SPI_SETSCREENSAVETIMEOUT, static_cast<quint32>(minutes) * 60,
                                          &unused, 0);
}

bool SaverServiceAvailable() { return platform::screenSaverDaemonAnswers(); }

QString RegReadStr(quint32 rootKey, const QString& subKey, const QString& valueName, const QString& defaultValue)
{
    platform::HKEY key = 0;
    if (platform::RegOpenKeyEx(rootKey, subKey, 0, platform::KEY_READ, &key) != platform::ERROR_SUCCESS)
        return defaultValue;
    quint32 type = 0;
    QByteArray data;
    const qint32 result = platform::RegQueryValueEx(key, valueName, &type, &data);
    platform::RegCloseKey(key);
    if (result != platform::ERROR_SUCCESS || type != platform::REG_SZ)
        return defaultValue;
    const qsizetype end = data.indexOf('\0');
    return QString::fromUtf8(end < 0 ? data : data.left(end)).trimmed();
}

bool RegWriteStr(quint32 rootKey, const QString& subKey, const QString& valueName, const QString& value)
{
    platform::HKEY key = 0;
    if (platform::RegOpenKeyEx(rootKey, subKey, 0, platform::KEY_WRITE, &key) != platform::ERROR_SUCCESS)
        return false;
    QByteArray data = value.toUtf8();
    data.append('\0');
    const qint32 result = platform::RegSetValueEx(key, valueName, 0, platform::REG_SZ, data.constData(),
                                                  static_cast<quint32>(data.size()));
    platform::RegCloseKey(key);
    return result == platform::ERROR_SUCCESS;
}

} // namespace modSS
