// Flat functions of the overlay layer that the libraries use inside and do not
// export. Same shape as the exported ones: mapped results, a fixed answer when
// the layer is not open.
#pragma once

#include "ddraw_overlay/zpddraw.h"
#include "platform/ddraw.h"

extern "C" {

// kind 0 init, 1 uninit; E_ACCESSDENIED (not mapped) for another kind. Needs no open layer.
std::int32_t ZPDDraw_RegisterVIPCallback(std::uint32_t kind, ZPVIPCallback callback, std::uint32_t first,
                                         std::uint32_t second);

std::int32_t ZPDDraw_GetColorKey(COLORREF* color);
std::int32_t ZPDDraw_MatchDestColor(std::uint32_t* value);
std::int32_t ZPDDraw_GetDriverCaps(DDCAPS* caps);
std::int32_t ZPDDraw_IsFourCCSupported(std::uint32_t* formatId);
std::int32_t ZPDDraw_CreateOffscreenSurfaceYUV(std::uint32_t width, std::uint32_t height, std::uint32_t formatId,
                                               std::uint32_t videoMemory, std::uint32_t overlay,
                                               DDrawSurfaceHandle* handle);
// 1 when done (or nothing to do), 0 when refused or not open.
std::uint32_t ZPDDraw_PageLock(DDrawSurfaceHandle handle);
std::uint32_t ZPDDraw_PageUnlock(DDrawSurfaceHandle handle);
// 1 after releasing every surface, 0 when not open.
std::int32_t ZPDDraw_ReleaseAllSurfaces();
std::int32_t ZPDDraw_GetSurfaceDC(DDrawSurfaceHandle handle, HDC* dc);
std::int32_t ZPDDraw_ReleaseSurfaceDC(DDrawSurfaceHandle handle, HDC dc);
// 1 or 0.
std::int32_t ZPDDraw_GetClipList(RECT* rect, RGNDATA* clipList, std::uint32_t* size);
// The surface stays locked until ZPDDraw_UnlockByHandle.
void* ZPDDraw_LockByHandle(DDrawSurfaceHandle handle);
std::uint32_t ZPDDraw_UnlockByHandle(DDrawSurfaceHandle handle, void* address);
std::int32_t ZPDDraw_SetOverlayPosition(DDrawSurfaceHandle handle, std::int32_t x, std::int32_t y);
// References are added to what is handed out.
std::int32_t ZPDDraw_GetInterfaces(IDirectDraw2** directDraw, IDirectDrawSurface2** surface);

}  // extern "C"

extern "C" {
// Whether the layer is open: a library whose callers take no results from the
// layer still needs to know that its own open worked.
bool ZPDDraw_IsOpen();
}
