// Module-wide state of the flat layer (inside the layer only).
#pragma once

#include <cstdint>

#include "ddraw_overlay/cddraw.h"

namespace zpddraw {

// The library's one overlay object; null while the layer is closed.
extern CDDraw* g_instance;
// The port capabilities the port enumeration keeps; all zero until then.
extern DDVIDEOPORTCAPS g_portCaps;

// The flat layer's result map: DDrawResultToError, or 0 for every result in a
// library whose internal callers take no results from the layer.
std::int32_t MapResult(HRESULT result);

}  // namespace zpddraw
