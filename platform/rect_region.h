// Rectangle arithmetic and regions as lists of non-overlapping rectangles: enough
// for clipping windows against the windows over them.
#pragma once

#include <vector>

#include "platform/gdi.h"

namespace platform {

using Region = std::vector<RECT>;

inline bool IsEmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
RECT Intersect(const RECT& a, const RECT& b);
// The smallest rectangle holding both; an empty rectangle holds nothing.
RECT Bounding(const RECT& a, const RECT& b);
RECT Offset(const RECT& r, LONG dx, LONG dy);
bool Contains(const RECT& outer, const RECT& inner);
// The parts of the region outside `hole`.
Region Subtract(const Region& region, const RECT& hole);
Region IntersectRegion(const Region& region, const RECT& r);

}  // namespace platform
