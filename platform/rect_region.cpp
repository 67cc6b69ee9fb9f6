#include "platform/rect_region.h"

#include <algorithm>
#include <limits>

namespace platform {

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return IsEmptyRect(r) ? RECT{} : r;
}

RECT Bounding(const RECT& a, const RECT& b) {
  if (IsEmptyRect(a)) return b;
  if (IsEmptyRect(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

namespace {

// A sum that stays at the end of LONG's range instead of overflowing.
LONG Add(LONG a, LONG b) {
  return static_cast<LONG>(std::clamp<long long>(static_cast<long long>(a) + b, std::numeric_limits<LONG>::min(),
                                                 std::numeric_limits<LONG>::max()));
}

}  // namespace

RECT Offset(const RECT& r, LONG dx, LONG dy) {
  return RECT{Add(r.left, dx), Add(r.top, dy), Add(r.right, dx), Add(r.bottom, dy)};
}

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

Region Subtract(const Region& region, const RECT& hole) {
  Region out;
  for (const RECT& r : region) {
    RECT cut = Intersect(r, hole);
    if (IsEmptyRect(cut)) {
      out.push_back(r);
      continue;
    }
    // Bands above and below the hole, then the pieces left and right of it.
    if (r.top < cut.top) out.push_back(RECT{r.left, r.top, r.right, cut.top});
    if (cut.bottom < r.bottom) out.push_back(RECT{r.left, cut.bottom, r.right, r.bottom});
    if (r.left < cut.left) out.push_back(RECT{r.left, cut.top, cut.left, cut.bottom});
    if (cut.right < r.right) out.push_back(RECT{cut.right, cut.top, r.right, cut.bottom});
  }
  return out;
}

Region IntersectRegion(const Region& region, const RECT& r) {
  Region out;
  for (const RECT& piece : region) {
    RECT cut = Intersect(piece, r);
    if (!IsEmptyRect(cut)) out.push_back(cut);
  }
  return out;
}

}  // namespace platform
