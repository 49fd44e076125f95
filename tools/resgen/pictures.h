#pragma once

#include <QImage>
#include <QList>
#include <QString>

namespace resgen {

// One BITMAP resource: its id (see resources/resourceids.h) and picture.
struct ResourcePicture {
    int id;
    QImage image;
};

// A picture of the help page's folder, by file name.
struct HelpPicture {
    QString fileName;
    QImage image;
};

// Every BITMAP resource of the programs.
QList<ResourcePicture> resourcePictures();

// The pictures that the help page "VN.htm" shows.
QList<HelpPicture> helpPictures();

// The program's picture at `size` x `size` pixels (also the installed icon).
QImage programIcon(int size);

// The ten LED digits at the main window's size, unlit segments grey on
// black (as the screensaver shows them), for review.
QImage digitStrip();

} // namespace resgen
