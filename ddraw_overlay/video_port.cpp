// Video-port capture into an overlay: the display's port and its VIP connection,
// the port for a field size, the YUY2 format, the target overlay (flipping when the
// port may auto-flip), start and stop, show and hide.
#include <cstdio>
#include <cstring>
#include <new>

#include "ddraw_overlay/cddraw.h"
#include "ddraw_overlay/ddraw_diagnostics.h"
#include "ddraw_overlay/layer_instance.h"
#include "ddraw_overlay/overlay_geometry.h"

namespace zpddraw {

DDVIDEOPORTCAPS g_portCaps{};

namespace {

// The connection type of the VIP input.
constexpr GUID kVipConnection = {0x54F39980, 0xDA60, 0x11CF, {0x9B, 0x06, 0x00, 0xA0, 0xC9, 0x03, 0xA3, 0xB8}};
// The field timing the port is made for.
constexpr DWORD kMicrosecondsPerField = 16667;
constexpr DWORD kMaxPixelsPerSecond = 20736000;
constexpr DWORD kYuvBitCount = 16;
// The shown source leaves out the last pixels of each line, which the port may not fill.
constexpr LONG kShowSourceRightTrim = 4;

// Keeps each port's capabilities in turn, so the last port listed is the one used.
HRESULT EnumVideoPortCallback(DDVIDEOPORTCAPS* caps, LPVOID) {
  std::memcpy(&g_portCaps, caps, sizeof(DDVIDEOPORTCAPS));
  return DDENUMRET_OK;
}

bool GuidEquals(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

HRESULT Reported(HRESULT hr) {
  ReportDDrawError(hr);
  return hr;
}

}  // namespace

HRESULT CDDraw::VideoPort_Open() {
  if (!directDraw) return E_FAIL;
  // Opening again starts afresh: the container and list of the last open go first.
  VideoPort_Close();
  HRESULT hr = directDraw->QueryInterface(IID_IDDVideoPortContainer, reinterpret_cast<void**>(&portContainer));
  if (hr != DD_OK) {
    portContainer = nullptr;
    return hr;
  }
  DDVIDEOPORTCAPS filter{};
  filter.dwSize = sizeof(DDVIDEOPORTCAPS);
  hr = portContainer->EnumVideoPorts(0, &filter, nullptr, EnumVideoPortCallback);
  if (hr != DD_OK) return Reported(hr);

  DWORD count = 0;
  hr = portContainer->GetVideoPortConnectInfo(0, &count, nullptr);
  if (hr != DD_OK && hr != DDERR_MOREDATA) return hr;
  connections = new (std::nothrow) DDVIDEOPORTCONNECT[count]{};
  if (!connections) return E_OUTOFMEMORY;
  connectionCount = count;
  hr = portContainer->GetVideoPortConnectInfo(0, &connectionCount, connections);
  if (hr != DD_OK && hr != DDERR_MOREDATA) return hr;
  // Never beyond the list, whatever count the driver reports.
  if (connectionCount > count) connectionCount = count;
  // Out of range until the VIP connection is found, so no port is made on another.
  connectionIndex = connectionCount;
  for (DWORD i = 0; i < connectionCount; ++i)
    if (GuidEquals(connections[i].guidTypeID, kVipConnection)) {
      connectionIndex = i;
      return DD_OK;
    }
  return E_FAIL;
}

HRESULT CDDraw::VideoPort_Close() {
  ReleaseInterface(portContainer);
  delete[] connections;
  connections = nullptr;
  connectionCount = 0;
  connectionIndex = 0;
  return DD_OK;
}

HRESULT CDDraw::VideoPort_Init(DWORD formatId, DWORD width, DWORD height) {
  // Initialising again starts afresh: the port and target of the last init go first.
  VideoPort_Uninit();
  HRESULT hr = VideoPort_Create(width, height);
  if (hr != DD_OK) return hr;
  hr = VideoPort_SetPixelFormat(formatId);
  if (hr != DD_OK) return hr;
  return VideoPort_CreateTargetSurface(formatId, width, height);
}

HRESULT CDDraw::VideoPort_Create(DWORD width, DWORD height) {
  if (!portContainer || connectionIndex >= connectionCount) return E_FAIL;
  DDVIDEOPORTDESC desc{};
  desc.dwSize = sizeof(DDVIDEOPORTDESC);
  desc.dwFieldWidth = width;
  desc.dwVBIWidth = 0;
  desc.dwFieldHeight = height + cropTopLines;
  desc.dwMicrosecondsPerField = kMicrosecondsPerField;
  desc.dwMaxPixelsPerSecond = kMaxPixelsPerSecond;
  desc.dwVideoPortID = g_portCaps.dwVideoPortID;
  const DDVIDEOPORTCONNECT& chosen = connections[connectionIndex];
  desc.VideoPortType.dwSize = sizeof(DDVIDEOPORTCONNECT);
  desc.VideoPortType.dwPortWidth = chosen.dwPortWidth;
  desc.VideoPortType.guidTypeID = chosen.guidTypeID;
  desc.VideoPortType.dwFlags = DDVPCONNECT_INTERLACED;
  return portContainer->CreateVideoPort(0, &desc, &videoPort, nullptr);
}

HRESULT CDDraw::VideoPort_SetPixelFormat(DWORD formatId) {
  if (!videoPort) return E_FAIL;
  DWORD fourCC = FormatIDToFourCC(formatId);
  if (!fourCC) {
    DDrawTrace("CDDraw::VideoPort_SetPixelFormat. Bad YUV format ID\n");
    return E_INVALIDARG;
  }
  inputFormat = DDPIXELFORMAT{};
  inputFormat.dwSize = sizeof(DDPIXELFORMAT);
  inputFormat.dwFlags = DDPF_FOURCC;
  inputFormat.dwFourCC = fourCC;
  inputFormat.dwYUVBitCount = kYuvBitCount;

  DWORD count = 0;
  HRESULT hr = videoPort->GetOutputFormats(&inputFormat, &count, nullptr, DDVPFORMAT_VIDEO);
  if (hr != DD_OK) return hr;
  if (count == 0) {
    char text[128];
    std::snprintf(text, sizeof text,
                  " There is no output format supported for current input format. Input FOURCC: %d\n",
                  static_cast<int>(fourCC));
    DDrawTrace(text);
    return E_FAIL;
  }
  auto* formats = new (std::nothrow) DDPIXELFORMAT[count]{};
  if (!formats) return E_OUTOFMEMORY;
  hr = videoPort->GetOutputFormats(&inputFormat, &count, formats, DDVPFORMAT_VIDEO);
  if (hr == DD_OK && count > 0) {
    outputFormat = formats[0];
    for (DWORD i = 1; i < count; ++i)
      if (formats[i].dwFourCC == fourCC) {
        outputFormat = formats[i];
        break;
      }
  }
  delete[] formats;
  return hr;
}

HRESULT CDDraw::VideoPort_CreateTargetSurface(DWORD, DWORD width, DWORD height) {
  if (!videoPort) return E_FAIL;
  // Room for both fields of a frame.
  DWORD frameHeight = (height + cropTopLines) * 2;
  interleave = 0;
  autoFlipInUse = 0;
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof(DDSURFACEDESC);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwHeight = frameHeight;
  desc.dwWidth = width;
  desc.ddpfPixelFormat = outputFormat;
  desc.ddsCaps.dwCaps = DDSCAPS_VIDEOPORT | DDSCAPS_VIDEOMEMORY | DDSCAPS_OVERLAY;

  IDirectDrawSurface* surface = nullptr;
  HRESULT hr = E_FAIL;
  if ((g_portCaps.dwCaps & DDVPCAPS_AUTOFLIP) && autoFlipEnabled) {
    autoFlipInUse = 1;
    desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps |= DDSCAPS_COMPLEX | DDSCAPS_FLIP;
    desc.dwBackBufferCount = 1;
    hr = directDraw->CreateSurface(&desc, &surface, nullptr);
  }
  if (!autoFlipInUse || hr != DD_OK || !surface) {
    // A single buffer, which the port writes in place.
    autoFlipInUse = 0;
    desc.dwFlags &= ~DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps &= ~(DDSCAPS_COMPLEX | DDSCAPS_FLIP);
    desc.dwBackBufferCount = 0;
    surface = nullptr;
    hr = directDraw->CreateSurface(&desc, &surface, nullptr);
    if (hr != DD_OK) return Reported(hr);
  }
  hr = videoPort->SetTargetSurface(surface, DDVPTARGET_VIDEO);
  if (hr == DD_OK) hr = surface->QueryInterface(IID_IDirectDrawSurface2, reinterpret_cast<void**>(&portSurface));
  // The port keeps no reference of its own: on failure this release frees the surface.
  surface->Release();
  if (hr != DD_OK) {
    portSurface = nullptr;
    return Reported(hr);
  }
  return DD_OK;
}

HRESULT CDDraw::VideoPort_Uninit() {
  ReleaseInterface(portSurface);
  inputFormat = DDPIXELFORMAT{};
  outputFormat = DDPIXELFORMAT{};
  ReleaseInterface(videoPort);
  // The last destination was that of the surface just released.
  lastPortDestRect = RECT{};
  return DD_OK;
}

HRESULT CDDraw::VideoPort_Start(DWORD width, DWORD height) {
  if (!videoPort || !portSurface) return E_FAIL;
  DDVIDEOPORTINFO info{};
  info.dwSize = sizeof(DDVIDEOPORTINFO);
  info.dwOriginX = 0;
  info.dwOriginY = 0;
  info.rCrop =
      RECT{0, static_cast<LONG>(cropTopLines), static_cast<LONG>(width), static_cast<LONG>(height + cropTopLines - 1)};
  info.dwPrescaleWidth = width;
  info.dwPrescaleHeight = height;
  info.lpddpfInputFormat = &inputFormat;
  info.dwVBIHeight = 0;
  info.dwVPFlags = DDVP_CONVERT | DDVP_CROP;
  if (autoFlipInUse) info.dwVPFlags |= DDVP_AUTOFLIP;
  // Never both: skipping even fields wins.
  if (skipEvenEnabled && (g_portCaps.dwCaps & DDVPCAPS_SKIPEVENFIELDS))
    info.dwVPFlags |= DDVP_SKIPEVENFIELDS;
  else if (skipOddEnabled && (g_portCaps.dwCaps & DDVPCAPS_SKIPODDFIELDS))
    info.dwVPFlags |= DDVP_SKIPODDFIELDS;
  HRESULT hr = videoPort->StartVideo(&info);
  if (hr != DD_OK) return Reported(hr);
  return DD_OK;
}

HRESULT CDDraw::VideoPort_Stop() {
  if (!videoPort || !portSurface) return E_FAIL;
  return videoPort->StopVideo();
}

HRESULT CDDraw::VideoPort_Show(RECT* source, RECT* dest) {
  if (!videoPort || !portSurface) return E_FAIL;
  if (!source || !dest) return E_INVALIDARG;
  if (SameRect(*dest, lastPortDestRect)) return DD_OK;
  AlignOverlayRects(driverCaps, dest, source);
  DWORD flags = DDOVER_SHOW | DDOVER_KEYDEST;
  if (autoFlipInUse) flags |= DDOVER_AUTOFLIP;
  RECT used = *source;
  used.right -= kShowSourceRightTrim;
  if (!ClipOverlayRects(screenWidth, screenHeight, dest, &used)) return Reported(DDERR_INVALIDRECT);
  DDOVERLAYFX fx{};
  fx.dwSize = sizeof(DDOVERLAYFX);
  if (srcKeyEnabled) {
    fx.dckSrcColorkey = DDCOLORKEY{srcKeyLow, srcKeyHigh};
    flags |= DDOVER_DDFX | DDOVER_KEYSRCOVERRIDE;
  }
  HRESULT hr = portSurface->UpdateOverlay(&used, primary, dest, flags, &fx);
  if (hr != DD_OK) return Reported(hr);
  lastPortDestRect = *dest;
  return DD_OK;
}

HRESULT CDDraw::VideoPort_Hide() {
  RECT shown = lastPortDestRect;
  lastPortDestRect = RECT{};
  if (!videoPort || !portSurface) return E_FAIL;
  DDOVERLAYFX fx{};
  fx.dwSize = sizeof(DDOVERLAYFX);
  return portSurface->UpdateOverlay(nullptr, primary, &shown, DDOVER_HIDE, &fx);
}

void CDDraw::VideoPort_SetStandard(DWORD standard) { cropTopLines = standard == 1 ? 15 : 11; }

}  // namespace zpddraw
