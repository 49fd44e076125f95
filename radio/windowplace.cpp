#include "radio/windowplace.h"

#include "compat/vb/conversions.h"
#include "platform/base/twips.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

using platform::kOptions;
using platform::kTwipsPerPixel;

// A remembered coordinate (twips) in pixels; `centred` when it is missing or
// not a usable number (not numeric, not finite, far beyond any screen).
int storedPixels(const QString& key, int centred)
{
    const QString text = platform::getSetting(kOptions, key);
    if (!platform::isNumeric(text))
        return centred;
    const double twips = platform::toDouble(text);
    if (!std::isfinite(twips) || std::abs(twips) > 1.0e6)
        return centred;
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
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
