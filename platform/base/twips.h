#pragma once

namespace platform {

// Window designs are measured in twips; at the designs' 96 dots per inch a
// pixel is 15 of them.
constexpr int kTwipsPerPixel = 15;

} // namespace platform
