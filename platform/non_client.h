// Drawing of the non-client area (inside the platform only).
#pragma once

#include "platform/user.h"

namespace platform::ws {

void DrawNonClient(HWND hwnd);

}  // namespace platform::ws
