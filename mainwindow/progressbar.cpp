#include "mainwindow/progressbar.h"

ProgressDrawing planProgressBar(int targetWidth, int segmentWidth, qint32 min, qint32 max, qint32 value)
{
    ProgressDrawing plan;
    if (!(min >= 0 && min <= value && value <= max))
        return plan;
    plan.draws = true;
    if (value == min)
        return plan;
    plan.copies = true;
    const int width = targetWidth - 1;
    if (segmentWidth < 1 || width < segmentWidth + 1)
        return plan;
    const qint64 blocks = width / (segmentWidth + 1);
    // Whole percent in integers: a full range is exactly 100, whatever its size.
    const qint64 percent = 100LL * (static_cast<qint64>(value) - min) / (static_cast<qint64>(max) - min);
    plan.blocks = static_cast<int>((percent * blocks + 50) / 100);
    return plan;
}
