#include "core/windowplace.h"

#include "compat/vb/conversions.h"
#include "platform/base/twips.h"
#include "platform/settings/options.h"
#include "platform/settings/settings.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <optional>

namespace windowplace {

namespace {

using platform::kTwipsPerPixel;

// No screen is this many pixels away; beyond it a value is damage.
constexpr double kFarBeyondAnyScreen = 1e6;

enum class Coordinate { Missing, Damaged, Usable };

struct Stored {
    Coordinate state = Coordinate::Missing;
    int pixels = 0;
};

Stored storedPixels(const QString& key)
{
    const QString text = platform::getSetting(platform::kOptions, key);
    if (text.trimmed().isEmpty())
        return {};
    if (!platform::isNumeric(text))
        return {Coordinate::Damaged};
    const double pixels = platform::toDouble(text) / kTwipsPerPixel;
    if (!std::isfinite(pixels) || std::abs(pixels) > kFarBeyondAnyScreen)
        return {Coordinate::Damaged};
    return {Coordinate::Usable, static_cast<int>(std::lround(pixels))};
}

bool onSomeScreen(const QRect& window)
{
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().intersects(window))
            return true;
    return false;
}

void storePixels(const QString& key, int pixels)
{
    platform::saveSetting(platform::kOptions, key, platform::singleText(static_cast<float>(pixels * kTwipsPerPixel)));
}

} // namespace

QPoint centred(QSize size)
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect screen = primary ? primary->geometry() : QRect(QPoint(0, 0), size);
    return {screen.x() + (screen.width() - size.width()) / 2, screen.y() + (screen.height() - size.height()) / 2};
}

QPoint stored(const QString& leftKey, const QString& topKey, QSize size)
{
    const QPoint middle = centred(size);
    const Stored left = storedPixels(leftKey);
    const Stored top = storedPixels(topKey);
    if (left.state == Coordinate::Damaged || top.state == Coordinate::Damaged)
        return middle;
    const QPoint at(left.state == Coordinate::Usable ? left.pixels : middle.x(),
                    top.state == Coordinate::Usable ? top.pixels : middle.y());
    return onSomeScreen(QRect(at, size)) ? at : middle;
}

void store(const QWidget* window, const QString& leftKey, const QString& topKey)
{
    storePixels(leftKey, window->x());
    storePixels(topKey, window->y());
}

} // namespace windowplace
