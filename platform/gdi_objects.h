// Brushes and fonts (inside the platform only).
#pragma once

#include "platform/gdi.h"

namespace platform {

// The colour a brush paints with: a solid or stock brush, a system colour brush, or
// a system colour index + 1 as a class background gives it. False for the null
// brush and for a brush that does not exist.
bool BrushColor(HBRUSH brush, COLORREF* color);

}  // namespace platform
