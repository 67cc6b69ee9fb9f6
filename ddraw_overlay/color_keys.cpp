// The destination key on the primary surface, which the overlay hardware shows the
// video through, and the source key used whenever an overlay is shown.
#include <cstring>

#include "ddraw_overlay/cddraw.h"
#include "ddraw_overlay/ddraw_diagnostics.h"
#include "platform/clock.h"

namespace zpddraw {

// The display driver's pixel value for a colour: let GDI paint it into pixel (0, 0),
// read the value back, and put the old pixel back. Any pixel value may be the
// answer, so a failure is told by the result alone and *value is left as it was.
HRESULT CDDraw::MatchColor(IDirectDrawSurface2* surface, COLORREF color, DWORD* value) {
  if (!surface) return E_ACCESSDENIED;
  COLORREF remembered = 0;
  HDC dc = nullptr;
  if (color != CLR_INVALID) {
    // Without the device context nothing is painted, so the memory holds no answer.
    HRESULT painted = surface->GetDC(&dc);
    if (painted != DD_OK) return painted;
    remembered = GetPixel(dc, 0, 0);
    SetPixel(dc, 0, 0, color);
    surface->ReleaseDC(dc);
  }
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  DWORD start = GetTickCount();
  HRESULT hr;
  while ((hr = surface->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING &&
         GetTickCount() - start < kRetryLimitMs) {
  }
  if (hr == DD_OK) {
    DWORD result;
    std::memcpy(&result, desc.lpSurface, sizeof result);
    if (desc.ddpfPixelFormat.dwRGBBitCount < 32 && bitsPerPixel < 32) result &= (1u << bitsPerPixel) - 1;
    surface->Unlock(desc.lpSurface);
    if (value) *value = result;
  }
  if (color != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
    SetPixel(dc, 0, 0, remembered);
    surface->ReleaseDC(dc);
  }
  return hr;
}

HRESULT CDDraw::SetDestColorKey(COLORREF color) {
  if (!destKeySupported) {
    DDrawTrace("SetColorKey() failed. VGA hardware does not support color keying\n");
    return E_FAIL;
  }
  destKeyColor = color;
  DWORD value = 0;
  HRESULT hr = MatchColor(primary, color, &value);
  if (hr != DD_OK) return hr;
  DDCOLORKEY key{value, value};
  return primary->SetColorKey(DDCKEY_DESTOVERLAY, &key);
}

HRESULT CDDraw::GetColorKey(COLORREF* color) {
  if (!destKeySupported) {
    DDrawTrace("GetColorKey() failed. VGA hardware does not support color keying\n");
    return E_FAIL;
  }
  if (color) *color = destKeyColor;
  return DD_OK;
}

HRESULT CDDraw::MatchDestColor(DWORD* value) { return MatchColor(primary, destKeyColor, value); }

HRESULT CDDraw::SetSrcColorKey(LONG selector, DWORD low, DWORD high) {
  if (selector == -1) {
    srcKeyEnabled = 0;
    return DD_OK;
  }
  if (!srcKeyCapable) {
    DDrawTrace("SetColorKey() failed. VGA hardware does not support source color keying\n");
    return E_FAIL;
  }
  srcKeyLow = low;
  srcKeyHigh = high;
  srcKeyEnabled = 1;
  return DD_OK;
}

}  // namespace zpddraw
