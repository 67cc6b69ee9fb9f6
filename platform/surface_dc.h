// Device contexts over DirectDraw surface memory (inside the platform only).
#pragma once

#include "platform/display_adapter.h"

namespace platform {

HDC CreateSurfaceDC(const SurfaceMemory& memory);
void DeleteSurfaceDC(HDC dc);

}  // namespace platform
