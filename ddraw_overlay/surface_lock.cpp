// Locking a surface, with recovery from a lost surface and a busy blitter, and the
// memory of the primary surface behind a screen rectangle.
#include "ddraw_overlay/cddraw.h"
#include "ddraw_overlay/ddraw_diagnostics.h"
#include "platform/clock.h"

namespace zpddraw {

HRESULT CDDraw::Lock(IDirectDrawSurface2* surface, RECT* rect, DDSURFACEDESC* desc) {
  if (!surface) return E_ACCESSDENIED;
  if (!desc) return E_INVALIDARG;
  // Bounded: a surface that never comes back must not hang the caller.
  DWORD start = GetTickCount();
  for (;;) {
    HRESULT hr = surface->Lock(rect, desc, 0, nullptr);
    if (hr == DDERR_SURFACELOST) {
      DDrawTrace("Attept to restore surface\n");
      HRESULT restored = surface->Restore();
      if (restored != DD_OK) return restored;
    } else if (hr != DDERR_WASSTILLDRAWING) {
      return hr;
    }
    if (GetTickCount() - start >= kRetryLimitMs) return hr;
  }
}

void CDDraw::Unlock(IDirectDrawSurface2* surface, LPVOID address) {
  if (surface) surface->Unlock(address);
}

BYTE* CDDraw::LockByHandle(DDrawSurfaceHandle handle) {
  IDirectDrawSurface2* surface = SurfaceOf(handle);
  if (!surface) return nullptr;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  if (Lock(surface, nullptr, &desc) != DD_OK) return nullptr;
  return static_cast<BYTE*>(desc.lpSurface);
}

DWORD CDDraw::UnlockByHandle(DDrawSurfaceHandle handle, LPVOID address) {
  Unlock(SurfaceOf(handle), address);
  return 1;
}

BYTE* CDDraw::GetSurfaceMemoryPtr(DDrawSurfaceHandle handle, DWORD* pitch) {
  IDirectDrawSurface2* surface = nullptr;
  bool attached = false;
  if (handle == kBackBufferHandle) {
    if (surfaceCount == 0 || !surfaces[0]) return nullptr;
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    HRESULT hr = surfaces[0]->GetAttachedSurface(&caps, &surface);
    if (hr != DD_OK) {
      ReportDDrawError(hr);
      return nullptr;
    }
    attached = true;
  } else {
    surface = SurfaceOf(handle);
    if (!surface) return nullptr;
  }
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  BYTE* address = nullptr;
  if (Lock(surface, nullptr, &desc) == DD_OK) {
    Unlock(surface, desc.lpSurface);
    if (pitch) *pitch = static_cast<DWORD>(desc.lPitch);
    address = static_cast<BYTE*>(desc.lpSurface);
  }
  // The chain keeps the back buffer; the reference the query added is not ours to keep.
  if (attached) surface->Release();
  return address;
}

HRESULT CDDraw::GetPrimarySurfaceParams(const RECT* rect, DWORD* width, DWORD* pitch, DWORD* height, BYTE** address,
                                        DWORD topDown) {
  if (!rect) return E_INVALIDARG;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  HRESULT hr = Lock(primary, nullptr, &desc);
  if (hr != DD_OK) return hr;
  Unlock(primary, desc.lpSurface);
  // The address is handed out for writing: the rectangle must lie on the screen.
  if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
      static_cast<DWORD>(rect->right) > desc.dwWidth || static_cast<DWORD>(rect->bottom) > desc.dwHeight)
    return E_INVALIDARG;
  DWORD w = static_cast<DWORD>(rect->right - rect->left);
  DWORD h = static_cast<DWORD>(rect->bottom - rect->top);
  BYTE* a = static_cast<BYTE*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(desc.lPitch) * rect->top +
            static_cast<std::ptrdiff_t>(rect->left) * (bitsPerPixel / 8);
  if (!topDown) a += static_cast<std::ptrdiff_t>(h - 1) * desc.lPitch;
  if (width) *width = w;
  if (height) *height = h;
  if (pitch) *pitch = static_cast<DWORD>(desc.lPitch);
  if (address) *address = a;
  return hr;
}

}  // namespace zpddraw
