#include "radio/radiologic.h"

#include "compat/vb/formats.h"

#include <QDir>

#include <algorithm>

namespace radiologic {

namespace {

// The volume at which the bar is empty, in hundredths of a decibel.
constexpr qint32 BarFloor = -4820;

} // namespace

VolumeDisplay volumeDisplay(qint32 volume)
{
    // P = 100 - 100 x (9640 - W) / W with W = V + 9640: 100 % at 0 dB, 0 % at
    // -48.2 dB. Below that the formula turns negative and then, past W = 0,
    // huge: quieter volumes show an empty bar.
    const double w = std::clamp<qint32>(volume, BarFloor, 0) + 9640.0;
    const double percent = std::clamp(100.0 - 100.0 * (9640.0 - w) / w, 0.0, 100.0);
    VolumeDisplay shown;
    shown.percent = int(percent);
    shown.barTwips = int(percent * BarTwips / 100.0);
    return shown;
}

QString volumeTip(const VolumeDisplay& shown)
{
    return QStringLiteral("Volume %1% - Up and Down arrows to modify").arg(shown.percent);
}

int receptionBarTwips(qint32 quality) { return std::clamp<qint32>(quality, 0, 100) * BarTwips / 100; }

QString cutText(const QString& text, int length)
{
    if (text.size() <= length)
        return text;
    return text.left(length) + QStringLiteral("...");
}

QStringList mp3Files(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    QDir dir(folder);
    if (!dir.exists())
        return {};
    dir.setNameFilters({QStringLiteral("*.mp3")});
    dir.setFilter(QDir::Files | QDir::Hidden | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QString entryPath(const QString& folder, const QString& entry) { return QDir(folder).filePath(entry); }

QString marqueeFrame(const QString& message, int step)
{
    const int shown = std::clamp(step, 0, int(message.size()));
    const int blanks = std::max(0, MarqueeField - shown);
    return QString(blanks, QLatin1Char(' ')) + message.left(shown);
}

const QList<qint32>& mediaInfoOrder()
{
    static const QList<qint32> order{1, 2, 5, 3, 4, 8, 9, 12, 10, 7, 11, 16};
    return order;
}

QString infoDate(const QDate& today)
{
    return platform::formatDateTime(QDateTime(today, QTime(0, 0)), QStringLiteral("dddd d mmm yyyy"));
}

InfoLine mediaInfoTick(int& step, const std::function<QString(qint32)>& item, const QDate& today)
{
    const QList<qint32>& order = mediaInfoOrder();
    ++step;
    while (step >= 1 && step <= order.size()) {
        const QString text = item(order[step - 1]);
        if (!text.isEmpty())
            return {true, cutText(text, 40), false};
        ++step;
    }
    if (step == order.size() + 1) {
        step = 0;
        return {true, infoDate(today), true};
    }
    step = 0;
    return {};
}

InfoLine creditsTick(int& step, const QStringList& credits, const QDate& today)
{
    ++step;
    if (step >= 1 && step <= credits.size())
        return {true, credits[step - 1], false};
    if (step == credits.size() + 1)
        return {true, infoDate(today), false};
    step = 0;
    return {};
}

int nextOnAirPicture(int shown) { return shown == 3 ? 1 : 3; }

int nextConnectionPicture(int shown)
{
    if (shown >= 1 && shown <= 5)
        return shown + 1;
    return 3;
}

DisplayParts cycleDisplay(DisplayParts parts)
{
    if (parts.display) {
        parts.display = false;
        parts.controls = true;
    } else if (!parts.controls && !parts.display) {
        parts.display = true;
        parts.statusBar = true;
        parts.tracker = true;
    } else if (parts.controls) {
        parts.controls = false;
        parts.tracker = false;
        parts.statusBar = false;
    }
    return parts;
}

} // namespace radiologic
