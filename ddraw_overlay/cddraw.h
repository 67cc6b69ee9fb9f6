// CDDraw: the one object through which a library reaches DirectDraw. It keeps the
// primary surface, the display's capabilities, the table of surfaces it made, the
// colour keys, the overlay placement state and the video port.
#pragma once

#include "ddraw_overlay/zpddraw.h"
#include "platform/ddraw.h"

namespace zpddraw {

constexpr DWORD kMaxSurfaces = 500;
constexpr DDrawSurfaceHandle kBackBufferHandle = 255;
// Format ids of the YUV surfaces.
constexpr DWORD kFormatUYVY = 1;
constexpr DWORD kFormatYUY2 = 2;
// How long a lock or a show keeps retrying a lost or busy surface.
constexpr DWORD kRetryLimitMs = 2000;

// A plain class: fields public and in their fixed order, no virtual operations.
class CDDraw {
 public:
  CDDraw();
  ~CDDraw();
  CDDraw(const CDDraw&) = delete;
  CDDraw& operator=(const CDDraw&) = delete;

  // The connection.
  HRESULT Open(HWND window, DWORD fullScreen);
  void ReleaseAll();
  HRESULT AttachWindow(HWND window);
  BOOL GetClipList(RECT* rect, RGNDATA* clipList, DWORD* size);
  HRESULT GetInterfaces(IDirectDraw2** directDraw, IDirectDrawSurface2** surface);
  DWORD IsOverlaySupported() const;
  HRESULT GetOverlayStretchRange(double* min, double* max) const;
  HRESULT GetDriverCaps(DDCAPS* caps) const;

  // Surfaces and their memory.
  HRESULT CreateOffscreenSurface(DWORD width, DWORD height, DWORD videoMemory, DDrawSurfaceHandle* handle);
  HRESULT CreateOffscreenSurfaceYUV(DWORD width, DWORD height, DWORD formatId, DWORD videoMemory, DWORD overlay,
                                    DDrawSurfaceHandle* handle);
  HRESULT IsFourCCSupported(DWORD* formatId);
  static DWORD FormatIDToFourCC(DWORD formatId);
  void ReleaseSurface(DDrawSurfaceHandle handle);
  void ReleaseAllSurfaces();
  HRESULT Lock(IDirectDrawSurface2* surface, RECT* rect, DDSURFACEDESC* desc);
  void Unlock(IDirectDrawSurface2* surface, LPVOID address);
  BYTE* LockByHandle(DDrawSurfaceHandle handle);
  DWORD UnlockByHandle(DDrawSurfaceHandle handle, LPVOID address);
  BYTE* GetSurfaceMemoryPtr(DDrawSurfaceHandle handle, DWORD* pitch);
  HRESULT GetPrimarySurfaceParams(const RECT* rect, DWORD* width, DWORD* pitch, DWORD* height, BYTE** address,
                                  DWORD topDown);
  DWORD PageLock(DDrawSurfaceHandle handle);
  DWORD PageUnlock(DDrawSurfaceHandle handle);
  HRESULT GetSurfaceDC(DDrawSurfaceHandle handle, HDC* dc);
  HRESULT ReleaseSurfaceDC(DDrawSurfaceHandle handle, HDC dc);
  // The surfaces[] entry of a handle that was handed out and not released, else null.
  IDirectDrawSurface2* SurfaceOf(DDrawSurfaceHandle handle) const;

  // Colour keys.
  HRESULT MatchColor(IDirectDrawSurface2* surface, COLORREF color, DWORD* value);
  HRESULT SetDestColorKey(COLORREF color);
  HRESULT GetColorKey(COLORREF* color);
  HRESULT MatchDestColor(DWORD* value);
  HRESULT SetSrcColorKey(LONG selector, DWORD low, DWORD high);

  // Overlay show and placement.
  HRESULT ShowSurface(DDrawSurfaceHandle handle, RECT* dest, RECT* source, DWORD force);
  HRESULT SetOverlayPosition(DDrawSurfaceHandle handle, LONG x, LONG y);

  // Video port.
  HRESULT VideoPort_Open();
  HRESULT VideoPort_Close();
  HRESULT VideoPort_Init(DWORD formatId, DWORD width, DWORD height);
  HRESULT VideoPort_Create(DWORD width, DWORD height);
  HRESULT VideoPort_SetPixelFormat(DWORD formatId);
  HRESULT VideoPort_CreateTargetSurface(DWORD formatId, DWORD width, DWORD height);
  HRESULT VideoPort_Uninit();
  HRESULT VideoPort_Start(DWORD width, DWORD height);
  HRESULT VideoPort_Stop();
  HRESULT VideoPort_Show(RECT* source, RECT* dest);
  HRESULT VideoPort_Hide();
  void VideoPort_SetStandard(DWORD standard);

  HWND window;
  DWORD fullScreen;
  IDirectDraw2* directDraw;
  IDirectDrawSurface2* primary;
  IDirectDrawClipper* clipper;
  DWORD bitsPerPixel;
  DWORD screenModeCode;
  DWORD screenWidth;
  DWORD screenHeight;
  DDCAPS driverCaps;
  DDCAPS emulationCaps;
  DWORD surfaceCount;
  IDirectDrawSurface2* surfaces[kMaxSurfaces];
  DWORD isOverlay[kMaxSurfaces];
  DWORD destKeySupported;
  COLORREF destKeyColor;
  DWORD srcKeyCapable;
  DWORD srcKeyEnabled;
  DWORD srcKeyLow;
  DWORD srcKeyHigh;
  RECT lastPortDestRect;
  IDDVideoPortContainer* portContainer;
  DWORD connectionCount;
  DDVIDEOPORTCONNECT* connections;
  DWORD connectionIndex;
  IDirectDrawVideoPort* videoPort;
  DDPIXELFORMAT inputFormat;
  DDPIXELFORMAT outputFormat;
  DWORD autoFlipInUse;
  DWORD interleave;
  IDirectDrawSurface2* portSurface;
  DWORD skipEvenEnabled;
  DWORD skipOddEnabled;
  DWORD cropTopLines;
  DWORD autoFlipEnabled;
};

// Releases an interface the object holds and clears the pointer.
template <class T>
void ReleaseInterface(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// 1 (8 bits), 2 (32), 888 (24), 100r + 10g + b from the mask runs (16), 0 otherwise.
DWORD ScreenModeCodeOf(const DDPIXELFORMAT& format);
// screenModeCode as the SDK's pixel code: 1 -> 0, 2 -> 5, 555 -> 2, 565 -> 3, 888 -> 4, else 65535.
DWORD DDrawScreenModeCode(DWORD screenModeCode);

}  // namespace zpddraw
