// The display of the virtual PC: the desktop in display memory and the display
// adapter as DirectDraw reaches it (capabilities, surfaces, overlays, colour keys).
// Tests see every overlay, blit, position and colour-key call, can make surfaces
// lost or the blitter busy, and can compose what the screen shows into a picture.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/display_adapter.h"
#include "sim/display/display_memory.h"
#include "sim/video/vip_field.h"

namespace sim {

// The adapter's video port (its VIP input), fed by the first RG-700 board.
struct VideoPortDesc {
  bool present = true;
  DWORD video_port_id = 0;
  DWORD caps = DDVPCAPS_AUTOFLIP | DDVPCAPS_SKIPEVENFIELDS | DDVPCAPS_SKIPODDFIELDS;
  DWORD port_width = 8;  // bits
  DWORD max_width = 1024;
  DWORD max_height = 1024;  // lines per field
  // Connection types offered, in order: by default one, the interlaced VIP connection.
  std::vector<GUID> connections = {{0x54F39980, 0xDA60, 0x11CF, {0x9B, 0x06, 0x00, 0xA0, 0xC9, 0x03, 0xA3, 0xB8}}};
  // A driver that cannot make a flipping target surface.
  bool refuse_flipping_target = false;
};

// The video port as tests see it. While it runs, each field of its input lands in
// the target: the crop's lines, the first on target row 0 (odd fields) or row 1
// (even fields) and the next ones every second row, so that the two fields of a
// frame interleave. Skipped fields are not written. With auto-flip the fields go to
// the back buffer, which becomes the front when a frame's even field is done.
struct VideoPortStatus {
  bool created = false;
  bool running = false;
  DDVIDEOPORTDESC desc{};
  std::uint32_t target = 0;  // surface id; 0 none
  platform::VideoPortStart start;
  std::uint32_t fields_written = 0;  // since the port was made
  std::uint32_t fields_skipped = 0;
  std::uint32_t last_field = 0;  // number of the last field written
  std::uint32_t flips = 0;
};

struct DisplayDesc {
  // Desktop mode: depth 4, 8, 16 (565 or 555), 24 or 32 bits.
  DWORD width = 1024;
  DWORD height = 768;
  DWORD bits_per_pixel = 16;
  bool rgb565 = true;

  std::uint32_t memory_bytes = 8u << 20;
  std::uint32_t physical_base = 0xD0000000;
  DWORD pitch_alignment = 8;  // bytes, a power of two

  bool overlay = true;
  bool dest_overlay_key = true;
  bool src_overlay_key = true;
  bool blt_stretch = true;
  DWORD max_visible_overlays = 1;
  // 0 leaves the alignment's capability bit clear.
  DWORD align_boundary_dest = 0;
  DWORD align_size_dest = 0;
  DWORD align_size_src = 0;
  // Overlay stretch factors x 1000.
  DWORD min_overlay_stretch = 250;
  DWORD max_overlay_stretch = 8000;
  std::vector<DWORD> fourcc_codes = {MakeFourCC('Y', 'U', 'Y', '2'), MakeFourCC('U', 'Y', 'V', 'Y')};
  VideoPortDesc video_port;
};

struct DesktopMode {
  DWORD width = 0;
  DWORD height = 0;
  LONG pitch = 0;
  DDPIXELFORMAT format{};
  std::uint32_t offset = 0;  // in display memory
};

struct OverlayState {
  bool visible = false;
  RECT source{};
  RECT dest{};
  std::uint32_t dest_surface = 0;
  DWORD flags = 0;
  DDCOLORKEY dest_key_override{};
  DDCOLORKEY src_key_override{};
};

// A surface as tests see it.
struct SurfaceInfo {
  std::uint32_t id = 0;
  DWORD caps = 0;
  DWORD width = 0;
  DWORD height = 0;
  LONG pitch = 0;
  BYTE* memory = nullptr;
  std::uint32_t physical = 0;  // 0 outside display memory
  DDPIXELFORMAT format{};
  bool lost = false;
  int locks = 0;
  int page_locks = 0;
  std::optional<DDCOLORKEY> dest_overlay_key;
  std::optional<DDCOLORKEY> src_overlay_key;
  OverlayState overlay;
  DWORD back_buffers = 0;  // 1 for a flipping chain; memory is then the front buffer's
  std::uint32_t flips = 0;
};

enum class DisplayCallKind { UpdateOverlay, Blt, SetOverlayPosition, SetColorKey };

// One recorded call with its arguments and the result the adapter gave.
struct DisplayCall {
  DisplayCallKind kind = DisplayCallKind::UpdateOverlay;
  std::uint32_t surface = 0;
  std::uint32_t other = 0;  // destination of an overlay, source of a blit
  std::optional<RECT> source_rect;
  std::optional<RECT> dest_rect;
  DWORD flags = 0;
  std::optional<DDOVERLAYFX> fx;
  LONG x = 0;
  LONG y = 0;
  DDCOLORKEY key{};
  HRESULT result = DD_OK;
};

// What the screen shows, 8-bit RGB, rows top-down.
using Picture = platform::Picture;

// Binary PPM (P6). False when the file cannot be written.
PLATFORM_EXPORT bool WritePpm(const Picture& picture, const std::string& path);

class PLATFORM_EXPORT Display : public platform::DisplayAdapter, public std::enable_shared_from_this<Display> {
 public:
  // The desktop is placed in `memory` at once.
  Display(const DisplayDesc& desc, std::shared_ptr<DisplayMemory> memory);
  ~Display() override;

  // platform::DisplayAdapter
  void GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) override;
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) override;
  void RestoreDisplayMode() override;
  DWORD GetFourCCCodes(DWORD* codes, DWORD capacity) override;
  HRESULT CreateSurface(const DDSURFACEDESC& desc, std::shared_ptr<platform::DisplaySurface>* surface) override;
  void DescribeDesktop(platform::SurfaceMemory* memory) override;
  std::vector<DDVIDEOPORTCAPS> VideoPortCaps() override;
  std::vector<DDVIDEOPORTCONNECT> VideoPortConnections(DWORD portId) override;
  HRESULT CreateVideoPort(const DDVIDEOPORTDESC& desc, std::shared_ptr<platform::DisplayVideoPort>* port) override;

  // The VIP input: one field from the board that feeds the port.
  void ReceiveVipField(const VipField& field);
  VideoPortStatus video_port() const;
  // Until the port has written `count` fields since it was made; false on time-out.
  bool WaitForPortFields(std::uint32_t count, std::uint32_t timeoutMs = 5000) const;

  const DisplayDesc& desc() const { return desc_; }
  DisplayMemory& memory() { return *memory_; }
  DesktopMode desktop() const;
  // The adapter's own view of the desktop (a board that is the display adapter):
  // called with the new mode after each mode change that succeeds, outside the
  // display's lock and in the order of the changes, and once when set. Null removes it.
  using DesktopListener = std::function<void(const DesktopMode&)>;
  void SetDesktopListener(DesktopListener listener);
  BYTE* desktop_memory() const;
  // Paints the desktop as a window would be painted (clipped to the screen).
  void FillDesktop(const RECT& rect, COLORREF color);

  std::vector<SurfaceInfo> Surfaces() const;
  std::optional<SurfaceInfo> Surface(std::uint32_t id) const;
  // The surface whose memory holds this address.
  std::optional<SurfaceInfo> SurfaceAt(const void* address) const;

  // The first 100000 calls since the last ClearCalls.
  std::vector<DisplayCall> Calls() const;
  std::size_t CountCalls(DisplayCallKind kind) const;
  void ClearCalls();

  // Faults. A lost surface fails its calls with DDERR_SURFACELOST until Restore;
  // `times` restores are needed before it stays restored.
  void LoseSurfaces(int times = 1);
  void LoseSurface(std::uint32_t id, int times = 1);
  // The next `count` locks and blits report DDERR_WASSTILLDRAWING.
  void SetStillDrawing(int count);
  // The next `count` restores of a lost surface fail.
  void FailRestore(int count, HRESULT error = DDERR_WRONGMODE);
  void FailCreateSurface(int count, HRESULT error = DDERR_GENERIC);
  // No video memory is left for new surfaces.
  void SetVideoMemoryExhausted(bool exhausted);

  // The desktop with every visible overlay where its keys let it through, then what
  // the overlay composer adds.
  Picture Compose() const override;
  // What a board that is the display adapter lays over the desktop by keys of its
  // own: called by Compose with the desktop mode and the picture so far, outside the
  // display's lock. Null removes it.
  using OverlayComposer = std::function<void(const DesktopMode& desktop, Picture* picture)>;
  void SetOverlayComposer(OverlayComposer composer);

  // Called by the surfaces.
  struct Record;
  HRESULT SurfaceLock(std::uint32_t id, platform::SurfaceMemory* memory, bool asLock);
  void SurfaceUnlock(std::uint32_t id);
  HRESULT SurfaceRestore(std::uint32_t id);
  HRESULT SurfaceBlt(std::uint32_t id, const RECT* destRect, std::uint32_t source, const RECT* sourceRect, DWORD flags);
  HRESULT SurfaceUpdateOverlay(std::uint32_t id, const RECT* sourceRect, std::uint32_t dest, const RECT* destRect,
                               DWORD flags, const DDOVERLAYFX* fx);
  HRESULT SurfaceSetOverlayPosition(std::uint32_t id, LONG x, LONG y);
  HRESULT SurfaceSetColorKey(std::uint32_t id, DWORD flags, const DDCOLORKEY* key);
  HRESULT SurfacePageLock(std::uint32_t id, bool lock);
  void SurfaceDestroyed(std::uint32_t id);
  // Called by the video port.
  DWORD PortOutputFormats(const DDPIXELFORMAT& input, DDPIXELFORMAT* formats, DWORD capacity) const;
  HRESULT PortSetTarget(std::uint32_t surface);
  HRESULT PortStart(const platform::VideoPortStart& start);
  HRESULT PortStop();
  void PortDestroyed();

 private:
  HRESULT SetMode(DWORD width, DWORD height, DWORD bitsPerPixel, bool rgb565);
  HRESULT CheckChainAndPort(const DDSURFACEDESC& desc, DWORD caps) const;
  HRESULT CheckOverlay(const Record& r, const RECT& source, const Record& dest, const RECT& destRect, DWORD flags,
                       const DDOVERLAYFX* fx) const;
  void Describe(const Record& r, platform::SurfaceMemory* memory) const;
  void DescribeDesktopLocked(platform::SurfaceMemory* memory) const;
  SurfaceInfo Info(const Record& r) const;
  DWORD VisibleOverlays() const;
  void Log(DisplayCall call);
  void WriteFieldLocked(const VipField& field, const Record& target, BYTE* base) const;

  DisplayDesc desc_;
  std::shared_ptr<DisplayMemory> memory_;
  // Taken before mutex_ by a mode change and held while the listener runs.
  std::mutex listener_mutex_;
  DesktopListener listener_;
  mutable std::mutex mutex_;
  DesktopMode mode_;
  OverlayComposer overlay_composer_;
  std::uint32_t next_id_ = 1;
  std::map<std::uint32_t, std::unique_ptr<Record>> surfaces_;
  std::vector<DisplayCall> calls_;
  int still_drawing_ = 0;
  int restore_failures_ = 0;
  HRESULT restore_error_ = DDERR_WRONGMODE;
  int create_failures_ = 0;
  HRESULT create_error_ = DDERR_GENERIC;
  bool exhausted_ = false;
  VideoPortStatus port_;
  mutable std::condition_variable port_progress_;
};

}  // namespace sim
