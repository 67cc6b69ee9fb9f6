// The exported ZPDDraw_* functions: each reaches the one overlay object, calls one
// operation and maps its result.
#include <new>

#include "ddraw_overlay/ddraw_diagnostics.h"
#include "ddraw_overlay/layer_instance.h"
#include "ddraw_overlay/zpddraw.h"
#include "ddraw_overlay/zpddraw_internal.h"

namespace zpddraw {

CDDraw* g_instance = nullptr;

std::int32_t MapResult(HRESULT result) {
#if defined(ZPDDRAW_RESULTS_DISCARDED)
  (void)result;
  return 0;
#else
  return DDrawResultToError(result);
#endif
}

}  // namespace zpddraw

using namespace zpddraw;

std::int32_t ZPDDraw_Open(HWND window, std::uint32_t fullScreen) {
  // Opening again replaces the object; the old one is released first.
  delete g_instance;
  g_instance = nullptr;
  auto* object = new (std::nothrow) CDDraw;
  if (!object) return MapResult(E_OUTOFMEMORY);
  HRESULT hr = object->Open(window, fullScreen);
  // A failed open leaves no half-opened object behind.
  if (hr != DD_OK) {
    delete object;
    return MapResult(hr);
  }
  g_instance = object;
  return MapResult(hr);
}

bool ZPDDraw_IsOpen() { return g_instance != nullptr; }

std::int32_t ZPDDraw_Close() {
  if (!g_instance) return 0;
  delete g_instance;
  g_instance = nullptr;
  return 1;
}

std::int32_t ZPDDraw_AttachWindow(HWND window) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->AttachWindow(window));
}

std::int32_t ZPDDraw_SetDestColorKey(COLORREF color) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->SetDestColorKey(color));
}

std::int32_t ZPDDraw_SetSrcColorKey(std::int32_t selector, std::uint32_t low, std::uint32_t high) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->SetSrcColorKey(selector, low, high));
}

std::uint32_t ZPDDraw_GetBitsPerPixel() { return g_instance ? g_instance->bitsPerPixel : 0; }

std::uint32_t ZPDDraw_GetScreenMode() { return g_instance ? DDrawScreenModeCode(g_instance->screenModeCode) : 0; }

std::uint64_t ZPDDraw_GetScreenSize() {
  if (!g_instance) return 0;
  return static_cast<std::uint64_t>(g_instance->screenHeight) << 32 | g_instance->screenWidth;
}

std::int32_t ZPDDraw_IsOverlaySupported() {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(static_cast<HRESULT>(g_instance->IsOverlaySupported()));
}

std::int32_t ZPDDraw_GetOverlayStretchRange(double* min, double* max) {
  if (!g_instance) return MapResult(CO_E_NOTINITIALIZED);
  return MapResult(g_instance->GetOverlayStretchRange(min, max));
}

std::int32_t ZPDDraw_OpenOffscreenSurface(std::uint32_t count, std::uint32_t width, std::uint32_t height,
                                          DDrawSurfaceHandle* handles, std::uint32_t videoMemory) {
  if (!g_instance) return MapResult(CO_E_NOTINITIALIZED);
  if (count && !handles) return MapResult(E_INVALIDARG);
  for (std::uint32_t i = 0; i < count; ++i) {
    HRESULT hr = g_instance->CreateOffscreenSurface(width, height, videoMemory, &handles[i]);
    if (hr != DD_OK) return MapResult(hr);
  }
  return MapResult(DD_OK);
}

std::int32_t ZPDDraw_CreateOverlayYUV(std::uint32_t count, std::uint32_t width, std::uint32_t height, std::uint32_t,
                                      DDrawSurfaceHandle* handles) {
  if (!g_instance) return MapResult(CO_E_NOTINITIALIZED);
  // A surface that no handle reaches would live until the layer is closed.
  if (count == 0 || !handles) return MapResult(E_INVALIDARG);
  DDrawSurfaceHandle handle = 0;
  HRESULT hr = g_instance->CreateOffscreenSurfaceYUV(width, height, kFormatYUY2, 1, 1, &handle);
  if (hr == DD_OK)
    for (std::uint32_t i = 0; i < count; ++i) handles[i] = handle;
  return MapResult(hr);
}

std::int32_t ZPDDraw_CloseOffscreenSurface(DDrawSurfaceHandle handle) {
  if (!g_instance) return 0;
  // A handle that holds no surface (released, or never handed out) is passed over.
  g_instance->ReleaseSurface(handle);
  return 1;
}

std::int32_t ZPDDraw_DestroyOverlayYUV(DDrawSurfaceHandle handle) { return ZPDDraw_CloseOffscreenSurface(handle); }

void* ZPDDraw_GetSurfaceMemoryPtr(DDrawSurfaceHandle handle, std::uint32_t* pitch) {
  if (!g_instance) return nullptr;
  return g_instance->GetSurfaceMemoryPtr(handle, pitch);
}

std::int32_t ZPDDraw_BltOffscreenToPrimary(DDrawSurfaceHandle handle, RECT* dest, RECT* source, std::uint32_t force) {
  if (!g_instance) return MapResult(CO_E_NOTINITIALIZED);
  return MapResult(g_instance->ShowSurface(handle, dest, source, force));
}

std::int32_t ZPDDraw_MapSurfaceRect(DDrawSurfaceHandle handle, RECT* dest, RECT* source, std::uint32_t force) {
  return ZPDDraw_BltOffscreenToPrimary(handle, dest, source, force);
}

std::int32_t ZPDDraw_GetPrimarySurfaceParams(RECT* rect, std::uint32_t* width, std::uint32_t* pitch,
                                             std::uint32_t* height, void** address, std::uint32_t topDown) {
  if (!g_instance) return 0;
  BYTE* a = nullptr;
  HRESULT hr = g_instance->GetPrimarySurfaceParams(rect, width, pitch, height, &a, topDown);
  if (hr == DD_OK && address) *address = a;
  return hr;
}
