// DirectDraw as the system uses it: the DirectDraw object, its surfaces and their
// records and flags. The display adapter behind it is the one registered through
// platform/display_adapter.h.
#pragma once

#include "platform/com_base.h"
#include "platform/gdi.h"

// ---- Results -------------------------------------------------------------------

constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;

constexpr HRESULT MakeDDrawResult(DWORD code) { return static_cast<HRESULT>(0x88760000u | code); }
constexpr HRESULT DDERR_CURRENTLYNOTAVAIL = MakeDDrawResult(40);
constexpr HRESULT DDERR_INVALIDCAPS = MakeDDrawResult(100);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDrawResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDrawResult(150);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDrawResult(212);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDrawResult(215);
constexpr HRESULT DDERR_NOCOLORKEYHW = MakeDDrawResult(220);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDrawResult(225);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDDrawResult(250);
constexpr HRESULT DDERR_NOTFOUND = MakeDDrawResult(255);
constexpr HRESULT DDERR_NOOVERLAYHW = MakeDDrawResult(260);
constexpr HRESULT DDERR_OUTOFCAPS = MakeDDrawResult(340);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDrawResult(380);
constexpr HRESULT DDERR_SURFACELOST = MakeDDrawResult(450);      // 0x887601C2
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDDrawResult(540);  // 0x8876021C
constexpr HRESULT DDERR_XALIGN = MakeDDrawResult(560);
constexpr HRESULT DDERR_OVERLAYNOTVISIBLE = MakeDDrawResult(577);
constexpr HRESULT DDERR_INVALIDPOSITION = MakeDDrawResult(579);
constexpr HRESULT DDERR_NOTAOVERLAYSURFACE = MakeDDrawResult(580);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDDrawResult(581);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDrawResult(584);
constexpr HRESULT DDERR_CANTCREATEDC = MakeDDrawResult(585);
constexpr HRESULT DDERR_WRONGMODE = MakeDDrawResult(587);
constexpr HRESULT DDERR_NOTPAGELOCKED = MakeDDrawResult(600);
constexpr HRESULT DDERR_DCALREADYCREATED = MakeDDrawResult(620);
constexpr HRESULT DDERR_MOREDATA = MakeDDrawResult(690);  // 0x887602B2

// ---- Flags ---------------------------------------------------------------------

// SetCooperativeLevel
constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;

// DDSURFACEDESC::dwFlags
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
constexpr DWORD DDSD_LPSURFACE = 0x800;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;

// DDSCAPS::dwCaps
constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_OVERLAY = 0x80;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;
constexpr DWORD DDSCAPS_VISIBLE = 0x8000;
constexpr DWORD DDSCAPS_VIDEOPORT = 0x8000000;

// DDCAPS::dwCaps
constexpr DWORD DDCAPS_ALIGNBOUNDARYDEST = 0x2;
constexpr DWORD DDCAPS_ALIGNSIZEDEST = 0x4;
constexpr DWORD DDCAPS_ALIGNBOUNDARYSRC = 0x8;
constexpr DWORD DDCAPS_ALIGNSIZESRC = 0x10;
constexpr DWORD DDCAPS_BLT = 0x40;
constexpr DWORD DDCAPS_BLTSTRETCH = 0x200;
constexpr DWORD DDCAPS_OVERLAY = 0x800;
constexpr DWORD DDCAPS_OVERLAYFOURCC = 0x2000;
constexpr DWORD DDCAPS_OVERLAYSTRETCH = 0x4000;
constexpr DWORD DDCAPS_COLORKEY = 0x400000;

// DDCAPS::dwCKeyCaps
constexpr DWORD DDCKEYCAPS_DESTOVERLAY = 0x10;
constexpr DWORD DDCKEYCAPS_SRCOVERLAY = 0x2000;

// SetColorKey
constexpr DWORD DDCKEY_COLORSPACE = 0x1;
constexpr DWORD DDCKEY_DESTOVERLAY = 0x4;
constexpr DWORD DDCKEY_SRCOVERLAY = 0x10;

// UpdateOverlay
constexpr DWORD DDOVER_HIDE = 0x200;
constexpr DWORD DDOVER_KEYDEST = 0x400;
constexpr DWORD DDOVER_KEYDESTOVERRIDE = 0x800;
constexpr DWORD DDOVER_KEYSRC = 0x1000;
constexpr DWORD DDOVER_KEYSRCOVERRIDE = 0x2000;
constexpr DWORD DDOVER_SHOW = 0x4000;
constexpr DWORD DDOVER_DDFX = 0x80000;
constexpr DWORD DDOVER_AUTOFLIP = 0x100000;

// DDPIXELFORMAT::dwFlags
constexpr DWORD DDPF_FOURCC = 0x4;
constexpr DWORD DDPF_PALETTEINDEXED4 = 0x8;
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20;
constexpr DWORD DDPF_RGB = 0x40;

// DDVIDEOPORTCAPS::dwCaps
constexpr DWORD DDVPCAPS_AUTOFLIP = 0x1;
constexpr DWORD DDVPCAPS_SKIPEVENFIELDS = 0x40;
constexpr DWORD DDVPCAPS_SKIPODDFIELDS = 0x80;

// DDVIDEOPORTCAPS::dwFlags: which fields of the record are valid, and of a filter
// which ones must match.
constexpr DWORD DDVPD_WIDTH = 0x1;
constexpr DWORD DDVPD_HEIGHT = 0x2;
constexpr DWORD DDVPD_ID = 0x4;
constexpr DWORD DDVPD_CAPS = 0x8;

// DDVIDEOPORTCONNECT::dwFlags
constexpr DWORD DDVPCONNECT_INTERLACED = 0x20;

// DDVIDEOPORTINFO::dwVPFlags
constexpr DWORD DDVP_AUTOFLIP = 0x1;
constexpr DWORD DDVP_CONVERT = 0x2;
constexpr DWORD DDVP_CROP = 0x4;
constexpr DWORD DDVP_SKIPEVENFIELDS = 0x80;
constexpr DWORD DDVP_SKIPODDFIELDS = 0x100;

// GetOutputFormats and SetTargetSurface
constexpr DWORD DDVPFORMAT_VIDEO = 0x1;
constexpr DWORD DDVPTARGET_VIDEO = 0x1;

// Enumeration callbacks
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

// Four characters read as a little-endian 32-bit word.
constexpr DWORD MakeFourCC(char a, char b, char c, char d) {
  return static_cast<DWORD>(static_cast<BYTE>(a)) | static_cast<DWORD>(static_cast<BYTE>(b)) << 8 |
         static_cast<DWORD>(static_cast<BYTE>(c)) << 16 | static_cast<DWORD>(static_cast<BYTE>(d)) << 24;
}

// ---- Records -------------------------------------------------------------------

struct DDSCAPS {
  DWORD dwCaps;
};

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  union {
    DWORD dwRGBBitCount;
    DWORD dwYUVBitCount;
  };
  union {
    DWORD dwRBitMask;
    DWORD dwYBitMask;
  };
  union {
    DWORD dwGBitMask;
    DWORD dwUBitMask;
  };
  union {
    DWORD dwBBitMask;
    DWORD dwVBitMask;
  };
  DWORD dwRGBAlphaBitMask;
};
static_assert(sizeof(DDPIXELFORMAT) == 32);

// The hardware capabilities, 364 bytes. Only the fields the system reads are named;
// the blit-capability blocks between them are kept as arrays to hold the layout.
struct DDCAPS {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCKeyCaps;
  DWORD dwFXCaps;
  DWORD dwFXAlphaCaps;
  DWORD dwPalCaps;
  DWORD dwSVCaps;
  DWORD dwAlphaBitDepths[6];
  DWORD dwZBufferBitDepths;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  DWORD dwMaxVisibleOverlays;
  DWORD dwCurrVisibleOverlays;
  DWORD dwNumFourCCCodes;
  DWORD dwAlignBoundarySrc;
  DWORD dwAlignSizeSrc;
  DWORD dwAlignBoundaryDest;
  DWORD dwAlignSizeDest;
  DWORD dwAlignStrideAlign;
  DWORD dwRops[8];
  DDSCAPS ddsCaps;
  DWORD dwMinOverlayStretch;  // x 1000
  DWORD dwMaxOverlayStretch;  // x 1000
  DWORD dwMinLiveVideoStretch;
  DWORD dwMaxLiveVideoStretch;
  DWORD dwMinHwCodecStretch;
  DWORD dwMaxHwCodecStretch;
  DWORD dwReserved[3];
  DWORD dwTransferBltCaps[33];  // system-to-video, video-to-system, system-to-system
  DWORD dwMaxVideoPorts;
  DWORD dwCurrVideoPorts;
  DWORD dwSVBCaps2;
  DWORD dwNonLocalBltCaps[12];
};
static_assert(sizeof(DDCAPS) == 364);
static_assert(offsetof(DDCAPS, dwAlignSizeSrc) == 84 && offsetof(DDCAPS, dwMinOverlayStretch) == 136);

// 108 bytes in the 32-bit layout; lpSurface is a real pointer here, which
// makes the record 120 bytes. dwSize is always sizeof(DDSURFACEDESC).
struct DDSURFACEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  DWORD dwRefreshRate;
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};
static_assert(sizeof(DDSURFACEDESC) == 120);

// 56 bytes. The alpha members hold constants only; alpha surfaces are not offered.
struct DDOVERLAYFX {
  DWORD dwSize;
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  DWORD dwAlphaDestConst;
  DWORD dwAlphaSrcConstBitDepth;
  DWORD dwAlphaSrcConst;
  DDCOLORKEY dckDestColorkey;
  DDCOLORKEY dckSrcColorkey;
  DWORD dwDDFX;
  DWORD dwFlags;
};
static_assert(sizeof(DDOVERLAYFX) == 56);

// Blit effects: the system blits without them.
struct DDBLTFX;
struct RGNDATA;

// Video-port records. The connection, the port description and the capabilities
// hold no pointers and keep their 32-bit sizes; the start record holds pointers to
// pixel formats, so its size is this platform's.
struct DDVIDEOPORTCONNECT {
  DWORD dwSize;
  DWORD dwPortWidth;  // bits
  GUID guidTypeID;
  DWORD dwFlags;
  DWORD dwReserved1;
};
static_assert(sizeof(DDVIDEOPORTCONNECT) == 32);

struct DDVIDEOPORTDESC {
  DWORD dwSize;
  DWORD dwFieldWidth;
  DWORD dwVBIWidth;
  DWORD dwFieldHeight;  // lines of one field, the vertical blanking lines included
  DWORD dwMicrosecondsPerField;
  DWORD dwMaxPixelsPerSecond;
  DWORD dwVideoPortID;
  DWORD dwReserved1;
  DDVIDEOPORTCONNECT VideoPortType;
  DWORD dwReserved2;
  DWORD dwReserved3;
};
static_assert(sizeof(DDVIDEOPORTDESC) == 72);

struct DDVIDEOPORTCAPS {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwMaxWidth;
  DWORD dwMaxVBIWidth;
  DWORD dwMaxHeight;
  DWORD dwVideoPortID;
  DWORD dwCaps;
  DWORD dwFX;
  DWORD dwNumAutoFlipSurfaces;
  DWORD dwAlignVideoPortBoundary;
  DWORD dwAlignVideoPortPrescaleWidth;
  DWORD dwAlignVideoPortCropBoundary;
  DWORD dwAlignVideoPortCropWidth;
  DWORD dwPreshrinkXStep;
  DWORD dwPreshrinkYStep;
  DWORD dwNumVBIAutoFlipSurfaces;
  DWORD dwNumPreferredAutoflip;
  WORD wNumFilterTapsX;
  WORD wNumFilterTapsY;
};
static_assert(sizeof(DDVIDEOPORTCAPS) == 72);

// 64 bytes in the 32-bit layout; the three format pointers are real pointers here.
struct DDVIDEOPORTINFO {
  DWORD dwSize;  // sizeof(DDVIDEOPORTINFO)
  DWORD dwOriginX;
  DWORD dwOriginY;
  DWORD dwVPFlags;
  RECT rCrop;  // in the field's lines and pixels, right and bottom exclusive
  DWORD dwPrescaleWidth;
  DWORD dwPrescaleHeight;
  DDPIXELFORMAT* lpddpfInputFormat;
  DDPIXELFORMAT* lpddpfVBIInputFormat;
  DDPIXELFORMAT* lpddpfVBIOutputFormat;
  DWORD dwVBIHeight;
  DWORD dwReserved1;
  DWORD dwReserved2;
};
static_assert(sizeof(DDVIDEOPORTINFO) == 80);

// ---- Interfaces ----------------------------------------------------------------

inline constexpr IID IID_IDirectDraw2 = {0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
inline constexpr IID IID_IDirectDrawSurface2 = {
    0x57805885, 0x6EEC, 0x11CF, {0x94, 0x41, 0xA8, 0x23, 0x03, 0xC1, 0x0E, 0x27}};
inline constexpr IID IID_IDDVideoPortContainer = {
    0x6C142760, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

class IDirectDrawSurface2;

// The first interfaces that DirectDrawCreate and CreateSurface hand out; the system
// queries the second versions from them.
class PLATFORM_EXPORT IDirectDraw : public IUnknown {
 protected:
  ~IDirectDraw() = default;
};
class PLATFORM_EXPORT IDirectDrawSurface : public IUnknown {
 protected:
  ~IDirectDrawSurface() = default;
};

class PLATFORM_EXPORT IDirectDraw2 : public IUnknown {
 public:
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) = 0;
  // Either record may be null; a given one must have dwSize sizeof(DDCAPS).
  virtual HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) = 0;
  virtual HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) = 0;
  // With codes null, *count receives the number of codes; otherwise up to *count are
  // copied and *count receives the number the adapter has.
  virtual HRESULT GetFourCCCodes(DWORD* count, DWORD* codes) = 0;

 protected:
  ~IDirectDraw2() = default;
};

class PLATFORM_EXPORT IDirectDrawSurface2 : public IUnknown {
 public:
  virtual HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) = 0;
  virtual HRESULT Unlock(LPVOID address) = 0;
  virtual HRESULT Restore() = 0;
  virtual HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface2** attached) = 0;
  virtual HRESULT Blt(RECT* destRect, IDirectDrawSurface2* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx) = 0;
  virtual HRESULT UpdateOverlay(RECT* sourceRect, IDirectDrawSurface2* dest, RECT* destRect, DWORD flags,
                                DDOVERLAYFX* fx) = 0;
  virtual HRESULT SetOverlayPosition(LONG x, LONG y) = 0;
  virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
  virtual HRESULT GetDC(HDC* dc) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;
  virtual HRESULT PageLock(DWORD flags) = 0;
  virtual HRESULT PageUnlock(DWORD flags) = 0;

 protected:
  ~IDirectDrawSurface2() = default;
};

// Never created by the platform: the system keeps a null pointer of this kind.
class PLATFORM_EXPORT IDirectDrawClipper : public IUnknown {
 public:
  virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;
  virtual HRESULT GetClipList(RECT* rect, RGNDATA* clipList, DWORD* size) = 0;

 protected:
  ~IDirectDrawClipper() = default;
};

using LPDDENUMVIDEOCALLBACK = HRESULT (*)(DDVIDEOPORTCAPS* caps, LPVOID context);

class IDirectDrawVideoPort;

// The video-port container is the DirectDraw object itself, reached through
// QueryInterface when the adapter has a video port.
class PLATFORM_EXPORT IDDVideoPortContainer : public IUnknown {
 public:
  // flags 0 only; the port is created for video, not for VBI data alone.
  virtual HRESULT CreateVideoPort(DWORD flags, DDVIDEOPORTDESC* desc, IDirectDrawVideoPort** port, IUnknown* outer) = 0;
  // Calls back once per port that matches the filter's DDVPD_ID (null or no flags:
  // every port) until the callback answers DDENUMRET_CANCEL.
  virtual HRESULT EnumVideoPorts(DWORD flags, DDVIDEOPORTCAPS* filter, LPVOID context,
                                 LPDDENUMVIDEOCALLBACK callback) = 0;
  // With connections null, *count receives the number of connections the port
  // takes. Otherwise up to *count entries are filled, *count receives the number
  // filled, and DDERR_MOREDATA says that more were left out.
  virtual HRESULT GetVideoPortConnectInfo(DWORD portId, DWORD* count, DDVIDEOPORTCONNECT* connections) = 0;

 protected:
  ~IDDVideoPortContainer() = default;
};

class PLATFORM_EXPORT IDirectDrawVideoPort : public IUnknown {
 public:
  // The formats the port can write for an input format, counted and filled as
  // GetVideoPortConnectInfo does.
  virtual HRESULT GetOutputFormats(DDPIXELFORMAT* input, DWORD* count, DDPIXELFORMAT* formats, DWORD flags) = 0;
  // An overlay surface made with DDSCAPS_VIDEOPORT; the port writes its front buffer,
  // or with auto-flip its back buffer.
  virtual HRESULT SetTargetSurface(IDirectDrawSurface* surface, DWORD flags) = 0;
  virtual HRESULT StartVideo(DDVIDEOPORTINFO* info) = 0;
  virtual HRESULT StopVideo() = 0;

 protected:
  ~IDirectDrawVideoPort() = default;
};

extern "C" {
// Only the default display driver (guid null) exists.
PLATFORM_EXPORT HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** directDraw, IUnknown* outer);
}
