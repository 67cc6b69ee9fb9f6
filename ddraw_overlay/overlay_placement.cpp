// Showing a surface of the table on the screen: a plain surface is blitted to the
// primary, an overlay is placed over the desktop behind the destination key.
#include <cstdint>
#include <initializer_list>

#include "ddraw_overlay/cddraw.h"
#include "ddraw_overlay/ddraw_diagnostics.h"
#include "ddraw_overlay/overlay_geometry.h"
#include "platform/clock.h"

namespace zpddraw {
namespace {

LONG RoundUp(LONG value, DWORD multiple) {
  DWORD v = static_cast<DWORD>(value);
  return static_cast<LONG>((v + multiple - 1) / multiple * multiple);
}

// base + span x part / whole, truncated. The differences come in 64 bits, since a
// rectangle may span more than a LONG holds; part is below both whole and 2^31, so
// the product cannot overflow and the result lies between the source's edges.
LONG Cut(LONG base, std::int64_t span, std::int64_t part, std::int64_t whole) {
  return static_cast<LONG>(base + span * part / whole);
}

// b - a without overflow.
std::int64_t Span(LONG a, LONG b) { return std::int64_t{b} - a; }

}  // namespace

void AlignOverlayRects(const DDCAPS& caps, RECT* dest, RECT* source) {
  if ((caps.dwCaps & DDCAPS_ALIGNSIZESRC) && caps.dwAlignSizeSrc) {
    DWORD right = static_cast<DWORD>(source->right);
    source->right = static_cast<LONG>(right - right % caps.dwAlignSizeSrc);
  }
  if ((caps.dwCaps & DDCAPS_ALIGNBOUNDARYDEST) && caps.dwAlignBoundaryDest) {
    dest->left = RoundUp(dest->left, caps.dwAlignBoundaryDest);
    dest->right = RoundUp(dest->right, caps.dwAlignBoundaryDest);
  }
  if ((caps.dwCaps & DDCAPS_ALIGNSIZEDEST) && caps.dwAlignSizeDest)
    dest->right = RoundUp(dest->right, caps.dwAlignSizeDest);
}

bool ClipOverlayRects(DWORD screenWidth, DWORD screenHeight, RECT* dest, RECT* source) {
  auto width = static_cast<LONG>(screenWidth), height = static_cast<LONG>(screenHeight);
  // The cuts divide by the destination's size.
  if (dest->right <= dest->left || dest->bottom <= dest->top) return false;
  if (dest->right <= 0 || dest->bottom <= 0 || dest->left >= width || dest->top >= height) return false;
  if (dest->left < 0) {
    source->left =
        Cut(source->left, Span(source->left, source->right), -std::int64_t{dest->left}, Span(dest->left, dest->right));
    dest->left = 0;
  }
  if (dest->top < 0) {
    source->top =
        Cut(source->top, Span(source->top, source->bottom), -std::int64_t{dest->top}, Span(dest->top, dest->bottom));
    dest->top = 0;
  }
  if (dest->right > width) {
    source->right =
        Cut(source->right, -Span(source->left, source->right), Span(width, dest->right), Span(dest->left, dest->right));
    dest->right = width;
  }
  if (dest->bottom > height) {
    source->bottom = Cut(source->bottom, -Span(source->top, source->bottom), Span(height, dest->bottom),
                         Span(dest->top, dest->bottom));
    dest->bottom = height;
  }
  return true;
}

HRESULT CDDraw::ShowSurface(DDrawSurfaceHandle handle, RECT* dest, RECT* source, DWORD force) {
  if (handle == kBackBufferHandle) return DD_OK;
  IDirectDrawSurface2* surface = SurfaceOf(handle);
  if (!surface) return E_ACCESSDENIED;
  bool overlay = isOverlay[handle] != 0;
  if (overlay && (!dest || !source)) return E_INVALIDARG;

  auto pass = [&]() -> HRESULT {
    if (!overlay) return primary->Blt(dest, surface, source, 0, nullptr);
    if (!force && SameRect(*dest, lastPortDestRect)) return DD_OK;
    DDOVERLAYFX fx{};
    fx.dwSize = sizeof(DDOVERLAYFX);
    DWORD flags = DDOVER_SHOW | DDOVER_KEYDEST;
    if (srcKeyEnabled) {
      fx.dckSrcColorkey = DDCOLORKEY{srcKeyLow, srcKeyHigh};
      flags |= DDOVER_DDFX | DDOVER_KEYSRCOVERRIDE;
    }
    AlignOverlayRects(driverCaps, dest, source);
    if (!ClipOverlayRects(screenWidth, screenHeight, dest, source)) return DDERR_INVALIDRECT;
    return surface->UpdateOverlay(source, primary, dest, flags, &fx);
  };

  DWORD start = GetTickCount();
  for (;;) {
    HRESULT hr = pass();
    if (hr == DD_OK) return DD_OK;
    if (hr == DDERR_SURFACELOST) {
      // Both may be lost (a mode change loses every surface); the next call shows.
      for (IDirectDrawSurface2* s : {primary, surface}) {
        HRESULT restored = s->Restore();
        if (restored != DD_OK) {
          ReportDDrawError(restored);
          return restored;
        }
      }
      return DD_OK;
    }
    if (hr == DDERR_WASSTILLDRAWING && GetTickCount() - start < kRetryLimitMs) continue;
    ReportDDrawError(hr);
    return hr;
  }
}

HRESULT CDDraw::SetOverlayPosition(DDrawSurfaceHandle handle, LONG x, LONG y) {
  IDirectDrawSurface2* surface = SurfaceOf(handle);
  if (!surface) return E_ACCESSDENIED;
  if (!isOverlay[handle]) {
    DDrawTrace("SetOverlayPosition() failed. Not an overlay surface\n");
    return E_FAIL;
  }
  if ((driverCaps.dwCaps & DDCAPS_ALIGNBOUNDARYDEST) && driverCaps.dwAlignBoundaryDest) {
    DWORD ux = static_cast<DWORD>(x);
    x = static_cast<LONG>(ux - ux % driverCaps.dwAlignBoundaryDest);
  }
  return surface->SetOverlayPosition(x, y);
}

}  // namespace zpddraw
