#include "radio/windowplace.h"

#include "platform/settings/conversions.h"
#include "platform/settings/settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

constexpr int kTwipsPerPixel = 15;
const QString kOptions = QStringLiteral("Options");

int storedPixels(const QString& key, int centred)
{
    try {
        return qRound(platform::toSingle(platform::getSetting(
                          kOptions, key, platform::singleText(static_cast<float>(centred * kTwipsPerPixel))))
                      / kTwipsPerPixel);
    } catch (const platform::RuntimeError&) {
        return centred;
    }
}

void storePixels(const QString& key, int pixels)
{
    platform::saveSetting(kOptions, key, platform::singleText(static_cast<float>(pixels * kTwipsPerPixel)));
}

} // namespace

QPoint storedPosition(const QString& leftKey, const QString& topKey, const QSize& size)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desk = screen ? screen->geometry() : QRect(QPoint(0, 0), size);
    return {storedPixels(leftKey, (desk.width() - size.width()) / 2),
            storedPixels(topKey, (desk.height() - size.height()) / 2)};
}

void storePosition(const QWidget* window, const QString& leftKey, const QString& topKey)
{
    storePixels(leftKey, window->x());
    storePixels(topKey, window->y());
}
