#include "compat/win32/screensavervalues.h"

#include "compat/win32/registry.h"
#include "platform/system/paths.h"
#include "platform/system/xscreensaver.h"

#include <QFileInfo>

namespace platform {

namespace {

QString textOf(const RegistryValue& value)
{
    const qsizetype end = value.data.indexOf('\0');
    return QString::fromUtf8(end < 0 ? value.data : value.data.left(end));
}

RegistryValue textValue(const QString& text)
{
    QByteArray data = text.toUtf8();
    data.append('\0');
    return {REG_SZ, data};
}

class ScreenSaverFileValue : public RegistryValueMapping {
public:
    std::optional<RegistryValue> read() const override
    {
        // Like Windows with no screensaver chosen, the value is missing unless
        // the daemon runs one program of the mapped drives.
        const ScreenSaverPrefs& prefs = screenSaverPrefs();
        if (prefs.mode != QLatin1String("one") || prefs.selectedWindowsPath.isEmpty())
            return std::nullopt;
        return textValue(prefs.selectedWindowsPath);
    }

    qint32 write(const RegistryValue& value) override
    {
        if (value.type != REG_SZ)
            return ERROR_INVALID_PARAMETER;
        const QString windowsPath = textOf(value).trimmed();
        if (windowsPath.isEmpty())
            return remove();
        const QString host = hostPath(windowsPath);
        const QString name = QFileInfo(host).fileName().compare(QLatin1String("VN.scr"), Qt::CaseInsensitive) == 0
            ? QStringLiteral("VN LED Clock")
            : QFileInfo(host).completeBaseName();
        return setScreenSaverProgram(host, name) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }

    // No screensaver: the screen just goes blank.
    qint32 remove() override
    {
        return setScreenSaverMode(QStringLiteral("blank")) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }
};

class ScreenSaverSecureValue : public RegistryValueMapping {
public:
    std::optional<RegistryValue> read() const override
    {
        return textValue(screenSaverPrefs().lock ? QStringLiteral("1") : QStringLiteral("0"));
    }

    qint32 write(const RegistryValue& value) override
    {
        if (value.type != REG_SZ)
            return ERROR_INVALID_PARAMETER;
        bool ok = false;
        const bool on = textOf(value).trimmed().toLongLong(&ok) != 0 && ok;
        return setScreenSaverLock(on) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    }

    qint32 remove() override { return setScreenSaverLock(false) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED; }
};

} // namespace

std::shared_ptr<RegistryValueMapping> screenSaverFileValue() { return std::make_shared<ScreenSaverFileValue>(); }

std::shared_ptr<RegistryValueMapping> screenSaverSecureValue() { return std::make_shared<ScreenSaverSecureValue>(); }

} // namespace platform
