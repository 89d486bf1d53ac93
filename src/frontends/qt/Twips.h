#pragma once

#include "layout/Layout.h"

namespace brivanto::qt {

// Twips are 1/1440 inch; at the screen's logical dots per inch they become Qt's
// device-independent pixels (15 twips per pixel at 96 dpi). Halves round up.
constexpr int TwipsToPixels(int twips, int dotsPerInch) {
  return (twips * dotsPerInch + layout::kTwipsPerInch / 2) / layout::kTwipsPerInch;
}

}  // namespace brivanto::qt
