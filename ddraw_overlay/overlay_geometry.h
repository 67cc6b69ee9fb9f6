// Fitting an overlay's rectangles to the display: its alignment rules and the
// screen's edges. Shared by the surface show and the video-port show, which both
// skip a destination that was the last one the port was shown at.
#pragma once

#include "platform/ddraw.h"

namespace zpddraw {

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Source width, destination boundary and destination size, each when the driver
// reports the rule and a non-zero value; unsigned arithmetic.
void AlignOverlayRects(const DDCAPS& caps, RECT* dest, RECT* source);
// Cuts the destination to the screen and the source in proportion. False, with
// nothing changed, for an empty or inverted destination or one wholly off the screen.
bool ClipOverlayRects(DWORD screenWidth, DWORD screenHeight, RECT* dest, RECT* source);

}  // namespace zpddraw
