// What the monitor shows: the desktop, and over it every visible overlay wherever
// the destination key (the desktop pixel) and the source key (the overlay pixel)
// let it through, scaled from its source to its destination rectangle; then what
// the adapter's own overlay composer lays over that.
#include "platform/pixel_encoding.h"
#include "platform/rect_region.h"
#include "sim/display/display.h"
#include "sim/display/display_formats.h"
#include "sim/display/display_record.h"

namespace sim {
namespace {

bool InKey(DWORD value, const DDCOLORKEY& key) {
  return value >= key.dwColorSpaceLowValue && value <= key.dwColorSpaceHighValue;
}

// An overlay pixel: its raw value (for the source key) and the colour it shows.
void OverlayPixel(const platform::SurfaceMemory& m, DWORD x, DWORD y, DWORD* raw, COLORREF* color) {
  const BYTE* line = m.base + static_cast<std::ptrdiff_t>(y) * m.pitch;
  if (!(m.format.dwFlags & DDPF_FOURCC)) {
    *raw = platform::ReadPixelValue(line, x, m.format.dwRGBBitCount);
    *color = platform::DecodeColor(m.format, *raw);
    return;
  }
  const BYTE* pair = line + (x & ~1u) * 2;
  *raw = platform::ReadPixelValue(line, x, 16);
  if (m.format.dwFourCC == kFourCC_UYVY)
    *color = YuvToRgb(pair[(x & 1) ? 3 : 1], pair[0], pair[2]);
  else
    *color = YuvToRgb(pair[(x & 1) ? 2 : 0], pair[1], pair[3]);
}

}  // namespace

void Display::SetOverlayComposer(OverlayComposer composer) {
  std::lock_guard lock(mutex_);
  overlay_composer_ = std::move(composer);
}

Picture Display::Compose() const {
  std::unique_lock lock(mutex_);
  Picture picture;
  picture.width = mode_.width;
  picture.height = mode_.height;
  picture.rgb.resize(static_cast<std::size_t>(mode_.width) * mode_.height * 3);
  const BYTE* desktop = memory_->base() + mode_.offset;
  auto put = [&picture](DWORD x, DWORD y, COLORREF c) {
    BYTE* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
    p[0] = GetRValue(c);
    p[1] = GetGValue(c);
    p[2] = GetBValue(c);
  };
  auto desktopValue = [&](DWORD x, DWORD y) {
    return platform::ReadPixelValue(desktop + static_cast<std::ptrdiff_t>(y) * mode_.pitch, x,
                                    mode_.format.dwRGBBitCount);
  };
  for (DWORD y = 0; y < mode_.height; ++y)
    for (DWORD x = 0; x < mode_.width; ++x) put(x, y, platform::DecodeColor(mode_.format, desktopValue(x, y)));

  for (const auto& entry : surfaces_) {
    const Record& r = *entry.second;
    const OverlayState& o = r.overlay;
    if (!o.visible) continue;
    auto target = surfaces_.find(o.dest_surface);
    if (target == surfaces_.end()) continue;
    std::optional<DDCOLORKEY> destKey;
    if (o.flags & DDOVER_KEYDESTOVERRIDE)
      destKey = o.dest_key_override;
    else if (o.flags & DDOVER_KEYDEST)
      destKey = target->second->destOverlayKey;
    std::optional<DDCOLORKEY> srcKey;
    if (o.flags & DDOVER_KEYSRCOVERRIDE)
      srcKey = o.src_key_override;
    else if (o.flags & DDOVER_KEYSRC)
      srcKey = r.srcOverlayKey;
    platform::SurfaceMemory m;
    Describe(r, &m);
    LONG dw = platform::Width(o.dest), dh = platform::Height(o.dest);
    LONG sw = platform::Width(o.source), sh = platform::Height(o.source);
    for (LONG y = o.dest.top; y < o.dest.bottom; ++y) {
      if (y < 0 || DWORD(y) >= mode_.height) continue;
      auto sy = DWORD(o.source.top + std::int64_t(y - o.dest.top) * sh / dh);
      for (LONG x = o.dest.left; x < o.dest.right; ++x) {
        if (x < 0 || DWORD(x) >= mode_.width) continue;
        if (destKey && !InKey(desktopValue(DWORD(x), DWORD(y)), *destKey)) continue;
        auto sx = DWORD(o.source.left + std::int64_t(x - o.dest.left) * sw / dw);
        DWORD raw;
        COLORREF color;
        OverlayPixel(m, sx, sy, &raw, &color);
        if (srcKey && InKey(raw, *srcKey)) continue;
        put(DWORD(x), DWORD(y), color);
      }
    }
  }
  // The board reads its own registers under its own lock: never inside ours.
  OverlayComposer composer = overlay_composer_;
  DesktopMode mode = mode_;
  lock.unlock();
  if (composer) composer(mode, &picture);
  return picture;
}

}  // namespace sim
