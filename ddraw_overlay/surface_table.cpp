// The table of surfaces the object made: creation of plain and YUV surfaces, their
// release, the FourCC choice, page locks and device contexts.
#include <algorithm>

#include "ddraw_overlay/cddraw.h"
#include "ddraw_overlay/ddraw_diagnostics.h"

namespace zpddraw {
namespace {

struct YuvFormat {
  DWORD fourCC;
  DWORD formatId;
};
// Searched in this order.
constexpr YuvFormat kYuvFormatTable[] = {{MakeFourCC('Y', 'U', 'Y', '2'), kFormatYUY2},
                                         {MakeFourCC('U', 'Y', 'V', 'Y'), kFormatUYVY}};

HRESULT CreateAndQuery(IDirectDraw2* directDraw, DDSURFACEDESC* desc, IDirectDrawSurface2** out) {
  IDirectDrawSurface* first = nullptr;
  HRESULT hr = directDraw->CreateSurface(desc, &first, nullptr);
  if (hr != DD_OK) {
    ReportDDrawError(hr);
    return hr;
  }
  hr = first->QueryInterface(IID_IDirectDrawSurface2, reinterpret_cast<void**>(out));
  first->Release();
  if (hr != DD_OK) {
    *out = nullptr;
    ReportDDrawError(hr);
  }
  return hr;
}

}  // namespace

IDirectDrawSurface2* CDDraw::SurfaceOf(DDrawSurfaceHandle handle) const {
  if (handle >= surfaceCount || handle >= kMaxSurfaces) return nullptr;
  return surfaces[handle];
}

HRESULT CDDraw::CreateOffscreenSurface(DWORD width, DWORD height, DWORD videoMemory, DDrawSurfaceHandle* handle) {
  if (surfaceCount >= kMaxSurfaces) return E_FAIL;
  if (!directDraw) return E_ACCESSDENIED;
  if (!handle) return E_INVALIDARG;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwHeight = height;
  desc.dwWidth = width;
  desc.ddsCaps.dwCaps = videoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;
  HRESULT hr = CreateAndQuery(directDraw, &desc, &surfaces[surfaceCount]);
  if (hr != DD_OK) return hr;
  isOverlay[surfaceCount] = 0;
  *handle = surfaceCount++;
  return DD_OK;
}

HRESULT CDDraw::CreateOffscreenSurfaceYUV(DWORD width, DWORD height, DWORD formatId, DWORD videoMemory, DWORD overlay,
                                          DDrawSurfaceHandle* handle) {
  if (surfaceCount >= kMaxSurfaces) return E_FAIL;
  if (!directDraw) return E_ACCESSDENIED;
  if (!handle) return E_INVALIDARG;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwHeight = height;
  desc.dwWidth = width;
  desc.ddsCaps.dwCaps = (videoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY) | (overlay ? DDSCAPS_OVERLAY : 0);
  desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  desc.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
  desc.ddpfPixelFormat.dwFourCC = FormatIDToFourCC(formatId);
  if (desc.ddpfPixelFormat.dwFourCC == 0) {
    DDrawTrace("CDDraw::CreateOffscreenSurfaceYUV. Bad YUV format ID\n");
    return E_INVALIDARG;
  }
  HRESULT hr = CreateAndQuery(directDraw, &desc, &surfaces[surfaceCount]);
  if (hr != DD_OK) return hr;
  DDrawSurfaceHandle made = surfaceCount++;
  isOverlay[made] = overlay ? 1 : 0;

  // The grabbers write two bytes a pixel straight into this memory.
  DWORD pitch = 0;
  BYTE* memory = GetSurfaceMemoryPtr(made, &pitch);
  if (!memory || pitch < 2ull * width) {
    ReleaseSurface(made);
    --surfaceCount;
    return E_FAIL;
  }
  if (overlay) {
    srcKeyCapable = (driverCaps.dwCKeyCaps & DDCKEYCAPS_SRCOVERLAY) ? 1 : 0;
    if (!srcKeyCapable) DDrawTrace("VGA hardware does not support color keying\n");
  }
  *handle = made;
  return DD_OK;
}

HRESULT CDDraw::IsFourCCSupported(DWORD* formatId) {
  if (!directDraw) return E_ACCESSDENIED;
  DWORD codes[128];
  DWORD count = 128;
  HRESULT hr = directDraw->GetFourCCCodes(&count, codes);
  if (hr != DD_OK) {
    ReportDDrawError(hr);
    return hr;
  }
  count = std::min<DWORD>(count, 128);
  for (const YuvFormat& row : kYuvFormatTable)
    for (DWORD i = 0; i < count; ++i)
      if (codes[i] == row.fourCC) {
        if (formatId) *formatId = row.formatId;
        return DD_OK;
      }
  return 1;
}

DWORD CDDraw::FormatIDToFourCC(DWORD formatId) {
  for (const YuvFormat& row : kYuvFormatTable)
    if (row.formatId == formatId) return row.fourCC;
  return 0;
}

void CDDraw::ReleaseSurface(DDrawSurfaceHandle handle) {
  if (!SurfaceOf(handle)) return;
  surfaces[handle]->Release();
  surfaces[handle] = nullptr;
  // A released slot must not answer as an overlay.
  isOverlay[handle] = 0;
}

void CDDraw::ReleaseAllSurfaces() {
  for (DWORD i = 0; i < surfaceCount && i < kMaxSurfaces; ++i) ReleaseSurface(i);
  surfaceCount = 0;
  for (DWORD i = 0; i < kMaxSurfaces; ++i) {
    surfaces[i] = nullptr;
    isOverlay[i] = 0;
  }
  lastPortDestRect = RECT{};
}

DWORD CDDraw::PageLock(DDrawSurfaceHandle handle) {
  if (handle >= surfaceCount) return 1;
  IDirectDrawSurface2* surface = SurfaceOf(handle);
  if (!surface) return 0;
  HRESULT hr = surface->PageLock(0);
  if (hr != DD_OK) {
    ReportDDrawError(hr);
    return 0;
  }
  return 1;
}

DWORD CDDraw::PageUnlock(DDrawSurfaceHandle handle) {
  if (handle >= surfaceCount) return 1;
  IDirectDrawSurface2* surface = SurfaceOf(handle);
  if (!surface) return 0;
  HRESULT hr = surface->PageUnlock(0);
  if (hr != DD_OK) {
    ReportDDrawError(hr);
    return 0;
  }
  return 1;
}

HRESULT CDDraw::GetSurfaceDC(DDrawSurfaceHandle handle, HDC* dc) {
  IDirectDrawSurface2* surface = SurfaceOf(handle);
  if (!surface) return E_ACCESSDENIED;
  return surface->GetDC(dc);
}

HRESULT CDDraw::ReleaseSurfaceDC(DDrawSurfaceHandle handle, HDC dc) {
  IDirectDrawSurface2* surface = SurfaceOf(handle);
  if (!surface) return E_ACCESSDENIED;
  return surface->ReleaseDC(dc);
}

}  // namespace zpddraw
