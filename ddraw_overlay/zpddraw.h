// Public interface of the DirectDraw overlay layer: the flat ZPDDraw_* functions
// over the library's one overlay object. The 700-series libraries export them; a
// library that only uses the layer inside builds it without ZPDDRAW_EXPORTS.
#pragma once

#include <cstdint>

#include "platform/gdi.h"

#if defined(ZPDDRAW_EXPORTS)
#define ZPDDRAW_API __attribute__((visibility("default")))
#else
#define ZPDDRAW_API
#endif

// Results of the mapped functions.
enum ZPDDrawErrorCode : std::int32_t {
  ZPDDRAW_OK = 0,
  ZPDDRAW_ERR_FAILED = -100,         // any other DirectDraw failure, success codes other than 0 included
  ZPDDRAW_ERR_ACCESS_DENIED = -102,  // access denied; most functions when the layer is not open
  ZPDDRAW_ERR_NO_MEMORY = -107,
  ZPDDRAW_ERR_NOT_INITIALISED = -108,  // the surface, stretch, blit and video-port functions when not open
};

// Index into the layer's table of 500 surfaces; 255 names the back buffer of
// surface 0 for the memory pointer.
using DDrawSurfaceHandle = std::uint32_t;

// Called by the layer before it creates and before it releases the video port.
using ZPVIPCallback = std::uint32_t (*)(std::uint32_t first, std::uint32_t second);

extern "C" {

ZPDDRAW_API std::int32_t ZPDDraw_Open(HWND window, std::uint32_t fullScreen);
// 1 after closing, 0 when nothing was open.
ZPDDRAW_API std::int32_t ZPDDraw_Close();
ZPDDRAW_API std::int32_t ZPDDraw_AttachWindow(HWND window);
ZPDDRAW_API std::int32_t ZPDDraw_SetDestColorKey(COLORREF color);
// selector -1 switches the source key off.
ZPDDRAW_API std::int32_t ZPDDraw_SetSrcColorKey(std::int32_t selector, std::uint32_t low, std::uint32_t high);
ZPDDRAW_API std::uint32_t ZPDDraw_GetBitsPerPixel();
// Pixel code of the desktop: 0 (8 bits), 2 (555), 3 (565), 4 (24 bits), 5 (32 bits), 65535 other.
ZPDDRAW_API std::uint32_t ZPDDraw_GetScreenMode();
// Low 32 bits the width, high 32 bits the height.
ZPDDRAW_API std::uint64_t ZPDDraw_GetScreenSize();
// 0 without overlay hardware; non-zero (-100) when there is one.
ZPDDRAW_API std::int32_t ZPDDraw_IsOverlaySupported();
ZPDDRAW_API std::int32_t ZPDDraw_GetOverlayStretchRange(double* min, double* max);
ZPDDRAW_API std::int32_t ZPDDraw_OpenOffscreenSurface(std::uint32_t count, std::uint32_t width, std::uint32_t height,
                                                      DDrawSurfaceHandle* handles, std::uint32_t videoMemory);
// One YUY2 overlay in video memory; its handle goes into all `count` entries.
ZPDDRAW_API std::int32_t ZPDDraw_CreateOverlayYUV(std::uint32_t count, std::uint32_t width, std::uint32_t height,
                                                  std::uint32_t ignored, DDrawSurfaceHandle* handles);
ZPDDRAW_API std::int32_t ZPDDraw_CloseOffscreenSurface(DDrawSurfaceHandle handle);
ZPDDRAW_API std::int32_t ZPDDraw_DestroyOverlayYUV(DDrawSurfaceHandle handle);
// The surface memory (valid while the surface lives), 0 on failure.
ZPDDRAW_API void* ZPDDraw_GetSurfaceMemoryPtr(DDrawSurfaceHandle handle, std::uint32_t* pitch);
// Blits a plain surface, or places an overlay (rectangles adjusted in place).
ZPDDRAW_API std::int32_t ZPDDraw_BltOffscreenToPrimary(DDrawSurfaceHandle handle, RECT* dest, RECT* source,
                                                       std::uint32_t force);
ZPDDRAW_API std::int32_t ZPDDraw_MapSurfaceRect(DDrawSurfaceHandle handle, RECT* dest, RECT* source,
                                                std::uint32_t force);
// The raw result of the primary's lock (0 on success).
ZPDDRAW_API std::int32_t ZPDDraw_GetPrimarySurfaceParams(RECT* rect, std::uint32_t* width, std::uint32_t* pitch,
                                                         std::uint32_t* height, void** address, std::uint32_t topDown);

// Video-port capture into an overlay.
ZPDDRAW_API std::int32_t ZPDDraw_OpenVIP();
ZPDDRAW_API std::int32_t ZPDDraw_CloseVIP();
ZPDDRAW_API std::int32_t ZPDDraw_InitVIP(std::uint32_t ignored, std::uint32_t width, std::uint32_t height);
ZPDDRAW_API std::int32_t ZPDDraw_UninitVIP();
ZPDDRAW_API std::int32_t ZPDDraw_VIPStartVideo(std::uint32_t width, std::uint32_t height);
ZPDDRAW_API std::int32_t ZPDDraw_VIPStopVideo();
ZPDDRAW_API std::int32_t ZPDDraw_VIPShow(RECT* source, RECT* dest);
ZPDDRAW_API std::int32_t ZPDDraw_VIPHide();
// Capabilities 200 skip even fields, 201 skip odd fields, 202 auto-flip.
ZPDDRAW_API std::uint32_t ZPDDraw_InquireCaps(std::uint32_t capability, std::uint32_t ignored);
ZPDDRAW_API std::int32_t ZPDDraw_EnableCaps(std::uint32_t capability, std::uint32_t on, std::uint32_t ignored);
ZPDDRAW_API std::int32_t ZPDDraw_VIPSetVideoStandard(std::uint32_t standard);
ZPDDRAW_API std::int32_t ZPDDraw_VIPSetCropTop(std::uint32_t standard);

}  // extern "C"
