// The CDDraw object itself: opening DirectDraw on the display, releasing it, the
// display's mode code and capability queries.
#include <cstring>

#include "ddraw_overlay/cddraw.h"
#include "ddraw_overlay/ddraw_diagnostics.h"

namespace zpddraw {
namespace {

// Length of the run of one bits in a colour mask, trailing zeros skipped; 0 for an empty mask.
DWORD MaskRun(DWORD mask) {
  if (mask == 0) return 0;
  while (!(mask & 1)) mask >>= 1;
  DWORD run = 0;
  for (; mask & 1; mask >>= 1) ++run;
  return run;
}

}  // namespace

DWORD ScreenModeCodeOf(const DDPIXELFORMAT& format) {
  switch (format.dwRGBBitCount) {
    case 24:
      return 888;
    case 32:
      return 2;
    case 8:
      return 1;
    case 16: {
      DWORD r = MaskRun(format.dwRBitMask), g = MaskRun(format.dwGBitMask), b = MaskRun(format.dwBBitMask);
      // An empty mask says nothing about the layout.
      if (r == 0 || g == 0 || b == 0) return 0;
      return 100 * r + 10 * g + b;
    }
    default:
      return 0;
  }
}

DWORD DDrawScreenModeCode(DWORD screenModeCode) {
  switch (screenModeCode) {
    case 1:
      return 0;
    case 2:
      return 5;
    case 555:
      return 2;
    case 565:
      return 3;
    case 888:
      return 4;
    default:
      return 65535;
  }
}

CDDraw::CDDraw() {
  // Every field zero (the tables included), then the standard 0 crop.
  window = nullptr;
  fullScreen = 0;
  directDraw = nullptr;
  primary = nullptr;
  clipper = nullptr;
  bitsPerPixel = screenModeCode = screenWidth = screenHeight = 0;
  std::memset(&driverCaps, 0, sizeof driverCaps);
  std::memset(&emulationCaps, 0, sizeof emulationCaps);
  surfaceCount = 0;
  for (DWORD i = 0; i < kMaxSurfaces; ++i) {
    surfaces[i] = nullptr;
    isOverlay[i] = 0;
  }
  destKeySupported = 0;
  destKeyColor = 0;
  srcKeyCapable = srcKeyEnabled = srcKeyLow = srcKeyHigh = 0;
  lastPortDestRect = RECT{};
  portContainer = nullptr;
  connectionCount = 0;
  connections = nullptr;
  connectionIndex = 0;
  videoPort = nullptr;
  std::memset(&inputFormat, 0, sizeof inputFormat);
  std::memset(&outputFormat, 0, sizeof outputFormat);
  autoFlipInUse = interleave = 0;
  portSurface = nullptr;
  skipEvenEnabled = skipOddEnabled = autoFlipEnabled = 0;
  cropTopLines = 0;
  VideoPort_SetStandard(0);
}

CDDraw::~CDDraw() { ReleaseAll(); }

HRESULT CDDraw::Open(HWND newWindow, DWORD newFullScreen) {
  window = newWindow;
  fullScreen = newFullScreen;

  IDirectDraw* first = nullptr;
  HRESULT hr = DirectDrawCreate(nullptr, &first, nullptr);
  if (hr != DD_OK) {
    ReportDDrawError(hr);
    return hr;
  }
  hr = first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw));
  first->Release();
  if (hr != DD_OK) {
    directDraw = nullptr;
    ReportDDrawError(hr);
    return hr;
  }

  hr = directDraw->SetCooperativeLevel(window, fullScreen ? DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE : DDSCL_NORMAL);
  if (hr != DD_OK) {
    ReportDDrawError(hr);
    return hr;
  }
  if (fullScreen) {
    hr = directDraw->SetDisplayMode(640, 480, 16, 0, 0);
    if (hr != DD_OK) {
      ReportDDrawError(hr);
      return hr;
    }
  }

  driverCaps.dwSize = sizeof(DDCAPS);
  emulationCaps.dwSize = sizeof(DDCAPS);
  directDraw->GetCaps(&driverCaps, &emulationCaps);

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* surface = nullptr;
  hr = directDraw->CreateSurface(&desc, &surface, nullptr);
  if (hr != DD_OK) {
    ReportDDrawError(hr);
    return hr;
  }
  hr = surface->QueryInterface(IID_IDirectDrawSurface2, reinterpret_cast<void**>(&primary));
  surface->Release();
  if (hr != DD_OK) {
    primary = nullptr;
    ReportDDrawError(hr);
    return hr;
  }

#if !defined(ZPDDRAW_NO_DEST_KEY_AT_OPEN)
  if (driverCaps.dwCKeyCaps & DDCKEYCAPS_DESTOVERLAY) {
    DDCOLORKEY key{destKeyColor, destKeyColor};
    if (primary->SetColorKey(DDCKEY_DESTOVERLAY, &key) == DD_OK) {
      destKeySupported = 1;
    } else {
      destKeySupported = 0;
      DDrawTrace("VGA hardware does not support color keying\n");
    }
  }
#endif

  desc = DDSURFACEDESC{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  hr = Lock(primary, nullptr, &desc);
  if (hr != DD_OK) {
    ReportDDrawError(hr);
    return hr;
  }
  Unlock(primary, desc.lpSurface);
  screenWidth = desc.dwWidth;
  screenHeight = desc.dwHeight;
  bitsPerPixel = desc.ddpfPixelFormat.dwRGBBitCount;
  surfaceCount = 0;
  screenModeCode = ScreenModeCodeOf(desc.ddpfPixelFormat);
  return DD_OK;
}

void CDDraw::ReleaseAll() {
  if (!directDraw) return;
  ReleaseInterface(clipper);
  ReleaseInterface(primary);
  for (DWORD i = 0; i < surfaceCount && i < kMaxSurfaces; ++i) ReleaseInterface(surfaces[i]);
  ReleaseInterface(portSurface);
  ReleaseInterface(videoPort);
  VideoPort_Close();
  // Pointers are cleared, so that a second release finds nothing left to release.
  ReleaseInterface(directDraw);
}

HRESULT CDDraw::AttachWindow(HWND newWindow) {
  if (!clipper) return E_ACCESSDENIED;
  HRESULT hr = clipper->SetHWnd(0, newWindow);
  if (hr == DD_OK) window = newWindow;
  return hr;
}

BOOL CDDraw::GetClipList(RECT* rect, RGNDATA* clipList, DWORD* size) {
  if (!clipper) return 0;
  return clipper->GetClipList(rect, clipList, size) == DD_OK ? 1 : 0;
}

HRESULT CDDraw::GetInterfaces(IDirectDraw2** outDirectDraw, IDirectDrawSurface2** outSurface) {
  if (outDirectDraw) {
    if (!directDraw) return E_ACCESSDENIED;
    directDraw->AddRef();
    *outDirectDraw = directDraw;
  }
  if (outSurface) {
    IDirectDrawSurface2* s = portSurface ? portSurface : surfaces[0];
    if (!s) return E_ACCESSDENIED;
    s->AddRef();
    *outSurface = s;
  }
  return DD_OK;
}

DWORD CDDraw::IsOverlaySupported() const { return driverCaps.dwCaps & DDCAPS_OVERLAY; }

HRESULT CDDraw::GetOverlayStretchRange(double* min, double* max) const {
  if (min) *min = static_cast<double>(static_cast<std::uint64_t>(driverCaps.dwMinOverlayStretch)) / 1000.0;
  if (max) *max = static_cast<double>(static_cast<std::uint64_t>(driverCaps.dwMaxOverlayStretch)) / 1000.0;
  return 0;
}

HRESULT CDDraw::GetDriverCaps(DDCAPS* caps) const {
  if (caps) std::memcpy(caps, &driverCaps, sizeof(DDCAPS));
  return 0;
}

}  // namespace zpddraw
