// The display adapter behind DirectDraw, as the virtual PC provides it: DirectDraw's
// objects keep reference counts and check their arguments, the adapter owns the
// display memory, the surfaces in it and the overlay hardware.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "platform/screen_picture.h"

namespace platform {

// Where a surface's pixels are, as a lock or a device context sees them.
struct SurfaceMemory {
  BYTE* base = nullptr;
  LONG pitch = 0;
  DWORD width = 0;
  DWORD height = 0;
  DDPIXELFORMAT format{};
  DWORD caps = 0;  // DDSCAPS_* of the surface
};

// One surface the adapter made. The memory stays at its address for the surface's life.
class PLATFORM_EXPORT DisplaySurface {
 public:
  virtual ~DisplaySurface() = default;
  virtual HRESULT Lock(SurfaceMemory* memory) = 0;
  virtual void Unlock() = 0;
  // The memory for a device context: no lock, fails only for a lost surface.
  virtual HRESULT Describe(SurfaceMemory* memory) = 0;
  virtual HRESULT Restore() = 0;
  // Null rectangles mean the whole surface.
  virtual HRESULT Blt(const RECT* destRect, DisplaySurface* source, const RECT* sourceRect, DWORD flags) = 0;
  virtual HRESULT UpdateOverlay(const RECT* sourceRect, DisplaySurface* dest, const RECT* destRect, DWORD flags,
                                const DDOVERLAYFX* fx) = 0;
  virtual HRESULT SetOverlayPosition(LONG x, LONG y) = 0;
  virtual HRESULT SetColorKey(DWORD flags, const DDCOLORKEY* key) = 0;
  virtual HRESULT PageLock() = 0;
  virtual HRESULT PageUnlock() = 0;
};

// How a video port is to run, as StartVideo checked it.
struct VideoPortStart {
  DWORD flags = 0;  // DDVP_*
  RECT crop{};      // the part of each field that is written
  DDPIXELFORMAT input{};
};

// One video port the adapter made. It writes each field of its input into the
// target surface while it runs.
class PLATFORM_EXPORT DisplayVideoPort {
 public:
  virtual ~DisplayVideoPort() = default;
  // Copies up to `capacity` formats and returns how many the port can write for `input`.
  virtual DWORD GetOutputFormats(const DDPIXELFORMAT& input, DDPIXELFORMAT* formats, DWORD capacity) = 0;
  virtual HRESULT SetTargetSurface(DisplaySurface* surface) = 0;
  virtual HRESULT Start(const VideoPortStart& start) = 0;
  virtual HRESULT Stop() = 0;
};

class PLATFORM_EXPORT DisplayAdapter {
 public:
  virtual ~DisplayAdapter() = default;
  // Each record's dwSize is set; either may be null.
  virtual void GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) = 0;
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) = 0;
  // Back to the desktop mode the machine was built with.
  virtual void RestoreDisplayMode() = 0;
  // Copies up to `capacity` codes and returns how many the adapter has.
  virtual DWORD GetFourCCCodes(DWORD* codes, DWORD capacity) = 0;
  virtual HRESULT CreateSurface(const DDSURFACEDESC& desc, std::shared_ptr<DisplaySurface>* surface) = 0;
  // The desktop (the primary surface) in display memory, where windows draw.
  virtual void DescribeDesktop(SurfaceMemory* memory) = 0;
  // The video ports (none when the adapter has no video input) and the
  // connections each one takes, in the order the driver prefers them.
  virtual std::vector<DDVIDEOPORTCAPS> VideoPortCaps() = 0;
  virtual std::vector<DDVIDEOPORTCONNECT> VideoPortConnections(DWORD portId) = 0;
  // DirectDraw has checked the description against the port's capabilities and
  // connections; the adapter refuses a port that is in use.
  virtual HRESULT CreateVideoPort(const DDVIDEOPORTDESC& desc, std::shared_ptr<DisplayVideoPort>* port) = 0;
  // What the monitor shows: the desktop with every visible overlay where its keys
  // let it through.
  virtual Picture Compose() const = 0;
};

// The virtual PC registers its adapter at power-on and removes it at power-off.
// Objects made before the removal keep working with the adapter they came from.
PLATFORM_EXPORT void RegisterDisplayAdapter(std::shared_ptr<DisplayAdapter> adapter);
PLATFORM_EXPORT void UnregisterDisplayAdapter(const DisplayAdapter* adapter);
// The adapter registered now, or null.
PLATFORM_EXPORT std::shared_ptr<DisplayAdapter> CurrentDisplayAdapter();
// The monitors of the virtual screen, each showing one adapter's desktop. The
// virtual PC registers them at power-on, the primary first (the adapter registered
// above, at 0, 0), and removes them at power-off. A monitor's size is its adapter's
// desktop mode as it is now, so it follows a mode change.
struct MonitorPlacement {
  std::shared_ptr<DisplayAdapter> adapter;
  POINT top_left{};    // on the virtual screen; may lie left of or above the primary
  std::string device;  // "\\.\DISPLAY1" for the primary, then DISPLAY2, ...
};
PLATFORM_EXPORT void RegisterMonitor(MonitorPlacement monitor);
PLATFORM_EXPORT void UnregisterMonitor(const DisplayAdapter* adapter);

// The adapter's desktop as it is now, or memory without pixels for no adapter.
inline SurfaceMemory DesktopOf(DisplayAdapter* adapter) {
  SurfaceMemory m;
  if (adapter) adapter->DescribeDesktop(&m);
  return m;
}

}  // namespace platform

namespace platform {

// DirectDraw objects, surface objects and video ports not yet released (for leak checks in tests).
PLATFORM_EXPORT std::size_t LiveDirectDrawObjects();
PLATFORM_EXPORT std::size_t LiveDirectDrawSurfaces();
PLATFORM_EXPORT std::size_t LiveDirectDrawVideoPorts();

}  // namespace platform
