// Flat wrappers of the object's other operations, for use inside the libraries.
#include "ddraw_overlay/layer_instance.h"
#include "ddraw_overlay/zpddraw_internal.h"

using namespace zpddraw;

std::int32_t ZPDDraw_GetColorKey(COLORREF* color) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->GetColorKey(color));
}

std::int32_t ZPDDraw_MatchDestColor(std::uint32_t* value) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->MatchDestColor(value));
}

std::int32_t ZPDDraw_GetDriverCaps(DDCAPS* caps) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->GetDriverCaps(caps));
}

std::int32_t ZPDDraw_IsFourCCSupported(std::uint32_t* formatId) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->IsFourCCSupported(formatId));
}

std::int32_t ZPDDraw_CreateOffscreenSurfaceYUV(std::uint32_t width, std::uint32_t height, std::uint32_t formatId,
                                               std::uint32_t videoMemory, std::uint32_t overlay,
                                               DDrawSurfaceHandle* handle) {
  if (!g_instance) return MapResult(CO_E_NOTINITIALIZED);
  return MapResult(g_instance->CreateOffscreenSurfaceYUV(width, height, formatId, videoMemory, overlay, handle));
}

std::uint32_t ZPDDraw_PageLock(DDrawSurfaceHandle handle) { return g_instance ? g_instance->PageLock(handle) : 0; }

std::uint32_t ZPDDraw_PageUnlock(DDrawSurfaceHandle handle) { return g_instance ? g_instance->PageUnlock(handle) : 0; }

std::int32_t ZPDDraw_ReleaseAllSurfaces() {
  if (!g_instance) return 0;
  g_instance->ReleaseAllSurfaces();
  return 1;
}

std::int32_t ZPDDraw_GetSurfaceDC(DDrawSurfaceHandle handle, HDC* dc) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->GetSurfaceDC(handle, dc));
}

std::int32_t ZPDDraw_ReleaseSurfaceDC(DDrawSurfaceHandle handle, HDC dc) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->ReleaseSurfaceDC(handle, dc));
}

std::int32_t ZPDDraw_GetClipList(RECT* rect, RGNDATA* clipList, std::uint32_t* size) {
  return g_instance ? g_instance->GetClipList(rect, clipList, size) : 0;
}

void* ZPDDraw_LockByHandle(DDrawSurfaceHandle handle) {
  return g_instance ? g_instance->LockByHandle(handle) : nullptr;
}

std::uint32_t ZPDDraw_UnlockByHandle(DDrawSurfaceHandle handle, void* address) {
  return g_instance ? g_instance->UnlockByHandle(handle, address) : 0;
}

std::int32_t ZPDDraw_SetOverlayPosition(DDrawSurfaceHandle handle, std::int32_t x, std::int32_t y) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->SetOverlayPosition(handle, x, y));
}

std::int32_t ZPDDraw_GetInterfaces(IDirectDraw2** directDraw, IDirectDrawSurface2** surface) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->GetInterfaces(directDraw, surface));
}
