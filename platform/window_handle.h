// The window handle type. Windows are opaque to the code that only passes an
// owner along (message boxes); the window manager gives them their meaning.
#pragma once

struct HWND__;
using HWND = HWND__*;
