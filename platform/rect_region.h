// Rectangle arithmetic and regions as lists of non-overlapping rectangles: enough
// for clipping windows against the windows over them.
#pragma once

#include <vector>

#include "platform/gdi.h"

namespace platform {

using Region = std::vector<RECT>;

inline bool IsEmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
inline LONG Width(const RECT& r) { return r.right - r.left; }
inline LONG Height(const RECT& r) { return r.bottom - r.top; }
// A rectangle of the same size at the origin.
inline RECT AtOrigin(const RECT& r) { return RECT{0, 0, Width(r), Height(r)}; }
// All of an image that has a width and a height (surface memory, a picture).
template <typename Image>
RECT Whole(const Image& image) {
  return RECT{0, 0, static_cast<LONG>(image.width), static_cast<LONG>(image.height)};
}
// The rectangle moved in (out) by each side's inset.
inline RECT Deflate(const RECT& r, const RECT& in) {
  return RECT{r.left + in.left, r.top + in.top, r.right - in.right, r.bottom - in.bottom};
}
inline RECT Deflate(const RECT& r, LONG by) { return Deflate(r, RECT{by, by, by, by}); }
inline RECT Inflate(const RECT& r, const RECT& in) {
  return RECT{r.left - in.left, r.top - in.top, r.right + in.right, r.bottom + in.bottom};
}
RECT Intersect(const RECT& a, const RECT& b);
// The smallest rectangle holding both; an empty rectangle holds nothing.
RECT Bounding(const RECT& a, const RECT& b);
RECT Offset(const RECT& r, LONG dx, LONG dy);
bool Contains(const RECT& outer, const RECT& inner);
// The parts of the region outside `hole`.
Region Subtract(const Region& region, const RECT& hole);
Region IntersectRegion(const Region& region, const RECT& r);

}  // namespace platform
