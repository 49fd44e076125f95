#pragma once

// True while the screensaver windows run inside the main program; the
// screensaver program leaves it false.
extern bool InMainApp;
