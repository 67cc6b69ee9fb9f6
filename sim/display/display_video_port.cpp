// The display's video port: its capabilities and connections as the machine
// description gives them, the one port object it makes at a time, and the writing
// of each field of the VIP input into the target surface.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

#include "sim/display/display.h"
#include "sim/display/display_formats.h"
#include "sim/display/display_record.h"
#include "sim/display/display_surface.h"

namespace sim {

std::vector<DDVIDEOPORTCAPS> Display::VideoPortCaps() {
  const VideoPortDesc& p = desc_.video_port;
  if (!p.present) return {};
  DDVIDEOPORTCAPS caps{};
  caps.dwSize = sizeof(DDVIDEOPORTCAPS);
  caps.dwFlags = DDVPD_WIDTH | DDVPD_HEIGHT | DDVPD_ID | DDVPD_CAPS;
  caps.dwMaxWidth = p.max_width;
  caps.dwMaxHeight = p.max_height;
  caps.dwVideoPortID = p.video_port_id;
  caps.dwCaps = p.caps;
  return {caps};
}

std::vector<DDVIDEOPORTCONNECT> Display::VideoPortConnections(DWORD portId) {
  const VideoPortDesc& p = desc_.video_port;
  std::vector<DDVIDEOPORTCONNECT> out;
  if (!p.present || portId != p.video_port_id) return out;
  for (const GUID& type : p.connections)
    out.push_back(DDVIDEOPORTCONNECT{sizeof(DDVIDEOPORTCONNECT), p.port_width, type, DDVPCONNECT_INTERLACED, 0});
  return out;
}

HRESULT Display::CreateVideoPort(const DDVIDEOPORTDESC& desc, std::shared_ptr<platform::DisplayVideoPort>* port) {
  std::lock_guard lock(mutex_);
  if (!desc_.video_port.present) return DDERR_UNSUPPORTED;
  if (port_.created) return DDERR_CURRENTLYNOTAVAIL;
  port_ = VideoPortStatus{};
  port_.created = true;
  port_.desc = desc;
  *port = std::make_shared<SimVideoPort>(shared_from_this());
  return DD_OK;
}

DWORD Display::PortOutputFormats(const DDPIXELFORMAT& input, DDPIXELFORMAT* formats, DWORD capacity) const {
  // The port writes what it receives, YUY2 or UYVY.
  if (!(input.dwFlags & DDPF_FOURCC) || (input.dwFourCC != kFourCC_YUY2 && input.dwFourCC != kFourCC_UYVY)) return 0;
  if (formats && capacity > 0) formats[0] = FourCCFormat(input.dwFourCC);
  return 1;
}

HRESULT Display::PortSetTarget(std::uint32_t surface) {
  std::lock_guard lock(mutex_);
  auto it = surfaces_.find(surface);
  if (it == surfaces_.end()) return DDERR_INVALIDPARAMS;
  DWORD caps = it->second->caps;
  if (!(caps & DDSCAPS_VIDEOPORT) || !(caps & DDSCAPS_OVERLAY)) return DDERR_INVALIDPARAMS;
  // The port writes only YUY2 or UYVY; a target in the desktop's format would be overrun.
  const DDPIXELFORMAT& format = it->second->format;
  if (!(format.dwFlags & DDPF_FOURCC) || (format.dwFourCC != kFourCC_YUY2 && format.dwFourCC != kFourCC_UYVY))
    return DDERR_INVALIDPIXELFORMAT;
  port_.target = surface;
  return DD_OK;
}

HRESULT Display::PortStart(const platform::VideoPortStart& start) {
  std::lock_guard lock(mutex_);
  auto it = surfaces_.find(port_.target);
  if (it == surfaces_.end()) return DDERR_INVALIDPARAMS;
  if ((start.flags & DDVP_AUTOFLIP) && !it->second->backMemory) return DDERR_INVALIDPARAMS;
  port_.start = start;
  port_.running = true;
  return DD_OK;
}

HRESULT Display::PortStop() {
  std::lock_guard lock(mutex_);
  port_.running = false;
  return DD_OK;
}

void Display::PortDestroyed() {
  std::lock_guard lock(mutex_);
  port_.created = false;
  port_.running = false;
  port_.target = 0;
}

void Display::ReceiveVipField(const VipField& field) {
  {
    std::lock_guard lock(mutex_);
    if (!port_.running) return;
    auto it = surfaces_.find(port_.target);
    if (it == surfaces_.end() || it->second->loseRemaining > 0) return;
    Record& target = *it->second;
    DWORD flags = port_.start.flags;
    bool skip = (flags & DDVP_SKIPEVENFIELDS) ? !field.odd() : (flags & DDVP_SKIPODDFIELDS) ? field.odd() : false;
    bool flip = (flags & DDVP_AUTOFLIP) && target.backMemory;
    if (skip) {
      ++port_.fields_skipped;
    } else {
      WriteFieldLocked(field, target, flip ? target.backMemory : target.memory);
      ++port_.fields_written;
      port_.last_field = field.number;
    }
    // A frame ends with its even field; its buffer is then the one shown.
    if (flip && !field.odd()) {
      std::swap(target.memory, target.backMemory);
      std::swap(target.offset, target.backOffset);
      ++target.flips;
      ++port_.flips;
    }
  }
  port_progress_.notify_all();
}

void Display::WriteFieldLocked(const VipField& field, const Record& target, BYTE* base) const {
  const RECT& crop = port_.start.crop;
  bool uyvy = target.format.dwFourCC == kFourCC_UYVY;
  // Two bytes a pixel; never past the end of a row.
  auto width = std::min({DWORD(crop.right - crop.left), target.width, DWORD(target.pitch) / 2}) & ~1u;
  for (LONG i = 0; i < crop.bottom - crop.top; ++i) {
    DWORD row = 2 * DWORD(i) + (field.odd() ? 0 : 1);
    if (row >= target.height) break;
    BYTE* out = base + static_cast<std::ptrdiff_t>(row) * target.pitch;
    int line = crop.top + i;
    for (DWORD x = 0; x < width; x += 2, out += 4) {
      Yuv a = field.Pixel(crop.left + int(x), line), b = field.Pixel(crop.left + int(x) + 1, line);
      BYTE pair[4] = {a.y, a.u, b.y, a.v};
      if (uyvy) {
        pair[0] = a.u;
        pair[1] = a.y;
        pair[2] = a.v;
        pair[3] = b.y;
      }
      std::memcpy(out, pair, sizeof pair);
    }
  }
}

VideoPortStatus Display::video_port() const {
  std::lock_guard lock(mutex_);
  return port_;
}

bool Display::WaitForPortFields(std::uint32_t count, std::uint32_t timeoutMs) const {
  std::unique_lock lock(mutex_);
  return port_progress_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return port_.fields_written >= count; });
}

}  // namespace sim
