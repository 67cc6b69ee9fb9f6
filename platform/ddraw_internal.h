// What the DirectDraw objects share inside the platform.
#pragma once

#include "platform/display_adapter.h"

namespace platform {

// An armed fault named `call` gives its error value as the call's result.
bool DDrawFault(const char* call, HRESULT* result);
// The adapter's surface behind a surface object of this platform, or null.
DisplaySurface* AdapterSurfaceOf(IDirectDrawSurface* surface);

// The video-port container of a DirectDraw object over `adapter`.
HRESULT EnumVideoPorts(DisplayAdapter& adapter, DWORD flags, DDVIDEOPORTCAPS* filter, LPVOID context,
                       LPDDENUMVIDEOCALLBACK callback);
HRESULT GetVideoPortConnectInfo(DisplayAdapter& adapter, DWORD portId, DWORD* count, DDVIDEOPORTCONNECT* connections);
HRESULT CreateVideoPort(DisplayAdapter& adapter, DWORD flags, DDVIDEOPORTDESC* desc, IDirectDrawVideoPort** port,
                        IUnknown* outer);

}  // namespace platform
