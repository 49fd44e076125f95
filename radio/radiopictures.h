#pragma once

#include <QPixmap>

// The radio window's pictures, drawn on first use.
namespace radiopictures {

// Start/stop image: 1 start (a play sign), 2 stop.
QPixmap startStop(int index);
// The exit image.
QPixmap exitPicture();
// On-air picture: 1 off, 2 dimmed, 3 on air.
QPixmap onAir(int index);
// Connection picture 1 to 6: a mast with no waves, then one to five.
QPixmap connection(int index);
// The next/change image of folder playback.
QPixmap next();
// The cover picture over the player while nothing plays.
QPixmap cover(const QSize& size);

} // namespace radiopictures
