#pragma once

#include <QtGlobal>

// What one call of the segmented progress bar draws.
struct ProgressDrawing {
    bool draws = false;  // false: the arguments are refused and nothing is touched
    bool copies = false; // whether the buffer is copied onto the bar
    int blocks = 0;      // blocks drawn into the buffer
};

// A bar `targetWidth` pixels wide holds (targetWidth - 1) \ (segmentWidth + 1)
// blocks; a value within min..max lights the share of them its percentage
// (a whole number) gives, rounded to the nearest block. Nothing is touched
// unless 0 <= min <= value <= max; a value at min clears the buffer only;
// with no room for a block nothing is lit.
ProgressDrawing planProgressBar(int targetWidth, int segmentWidth, qint32 min, qint32 max, qint32 value);

// The blocks' left edges: a margin of 2 pixels, one pixel between blocks.
inline int progressBlockX(int segmentWidth, int index) { return (segmentWidth + 1) * index + 2; }
