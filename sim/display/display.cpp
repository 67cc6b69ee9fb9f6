#include "sim/display/display.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/pixel_encoding.h"
#include "platform/rect_region.h"
#include "sim/display/display_formats.h"
#include "sim/display/display_record.h"
#include "sim/display/display_surface.h"
#include "sim/memory/low_memory.h"

namespace sim {
namespace {

constexpr DWORD kMaxSurfaceSide = 4096;
constexpr std::size_t kPageSize = 4096;
constexpr std::size_t kMaxRecordedCalls = 100000;
constexpr DWORD kPrimaryCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY | DDSCAPS_VISIBLE;

std::uint64_t AlignUp(std::uint64_t v, std::uint64_t a) { return (v + a - 1) & ~(a - 1); }

using platform::Height;
using platform::Whole;
using platform::Width;

bool ValidRect(const RECT& r, const platform::SurfaceMemory& m) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && DWORD(r.right) <= m.width &&
         DWORD(r.bottom) <= m.height;
}

}  // namespace

bool WritePpm(const Picture& picture, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%u %u\n255\n", picture.width, picture.height);
  bool ok = std::fwrite(picture.rgb.data(), 1, picture.rgb.size(), f) == picture.rgb.size();
  return std::fclose(f) == 0 && ok;
}

Display::Display(const DisplayDesc& desc, std::shared_ptr<DisplayMemory> memory)
    : desc_(desc), memory_(std::move(memory)) {
  if (SetMode(desc.width, desc.height, desc.bits_per_pixel, desc.rgb565) != DD_OK) {
    std::fprintf(stderr, "virtual PC: desktop %ux%u at %u bits does not fit the display\n", desc.width, desc.height,
                 desc.bits_per_pixel);
    std::abort();
  }
}

Display::~Display() { memory_->Free(mode_.offset); }

HRESULT Display::SetMode(DWORD width, DWORD height, DWORD bitsPerPixel, bool rgb565) {
  DDPIXELFORMAT format;
  if (!DesktopFormat(bitsPerPixel, rgb565, &format) || width == 0 || height == 0 || width > kMaxSurfaceSide ||
      height > kMaxSurfaceSide)
    return DDERR_INVALIDPARAMS;
  auto pitch = static_cast<LONG>(AlignUp((std::uint64_t(width) * bitsPerPixel + 7) / 8, desc_.pitch_alignment));
  auto bytes = static_cast<std::uint32_t>(std::uint64_t(pitch) * height);
  bool had = mode_.width != 0;
  DesktopMode old = mode_;
  if (had) memory_->Free(old.offset);
  auto offset = memory_->Allocate(bytes, kPageSize);
  if (!offset) {
    if (had) memory_->Allocate(static_cast<std::uint32_t>(old.pitch) * old.height, kPageSize);
    return DDERR_OUTOFVIDEOMEMORY;
  }
  mode_ = DesktopMode{width, height, pitch, format, *offset};
  // A mode change loses every surface, as it does on the real display.
  if (had)
    for (auto& [id, r] : surfaces_) r->loseRemaining = std::max(r->loseRemaining, 1);
  return DD_OK;
}

void Display::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) {
  std::lock_guard lock(mutex_);
  if (driverCaps) {
    DDCAPS& c = *driverCaps;
    c.dwCaps = DDCAPS_BLT | (desc_.blt_stretch ? DDCAPS_BLTSTRETCH : 0);
    c.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
    if (desc_.overlay) {
      c.dwCaps |= DDCAPS_OVERLAY | DDCAPS_OVERLAYFOURCC | DDCAPS_OVERLAYSTRETCH;
      c.ddsCaps.dwCaps |= DDSCAPS_OVERLAY;
      c.dwMaxVisibleOverlays = desc_.max_visible_overlays;
      c.dwCurrVisibleOverlays = VisibleOverlays();
      c.dwMinOverlayStretch = desc_.min_overlay_stretch;
      c.dwMaxOverlayStretch = desc_.max_overlay_stretch;
    }
    if (desc_.align_boundary_dest) c.dwCaps |= DDCAPS_ALIGNBOUNDARYDEST;
    if (desc_.align_size_dest) c.dwCaps |= DDCAPS_ALIGNSIZEDEST;
    if (desc_.align_size_src) c.dwCaps |= DDCAPS_ALIGNSIZESRC;
    c.dwAlignBoundaryDest = desc_.align_boundary_dest;
    c.dwAlignSizeDest = desc_.align_size_dest;
    c.dwAlignSizeSrc = desc_.align_size_src;
    c.dwAlignStrideAlign = desc_.pitch_alignment;
    if (desc_.dest_overlay_key) c.dwCKeyCaps |= DDCKEYCAPS_DESTOVERLAY;
    if (desc_.src_overlay_key) c.dwCKeyCaps |= DDCKEYCAPS_SRCOVERLAY;
    if (c.dwCKeyCaps) c.dwCaps |= DDCAPS_COLORKEY;
    c.dwVidMemTotal = memory_->size();
    c.dwVidMemFree = exhausted_ ? 0 : memory_->FreeBytes();
    c.dwNumFourCCCodes = static_cast<DWORD>(desc_.fourcc_codes.size());
    if (desc_.video_port.present) {
      c.dwMaxVideoPorts = 1;
      c.dwCurrVideoPorts = port_.created ? 1 : 0;
    }
  }
  if (emulationCaps) {
    // Software emulation blits and stretches, nothing more.
    emulationCaps->dwCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH;
    emulationCaps->ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  }
}

HRESULT Display::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
  std::lock_guard notify(listener_mutex_);
  HRESULT hr;
  DesktopMode mode;
  {
    std::lock_guard lock(mutex_);
    hr = SetMode(width, height, bitsPerPixel, desc_.rgb565);
    mode = mode_;
  }
  if (hr == DD_OK && listener_) listener_(mode);
  return hr;
}

void Display::RestoreDisplayMode() {
  std::lock_guard notify(listener_mutex_);
  DesktopMode mode;
  {
    std::lock_guard lock(mutex_);
    if (mode_.width == desc_.width && mode_.height == desc_.height &&
        mode_.format.dwRGBBitCount == desc_.bits_per_pixel)
      return;
    if (SetMode(desc_.width, desc_.height, desc_.bits_per_pixel, desc_.rgb565) != DD_OK) return;
    mode = mode_;
  }
  if (listener_) listener_(mode);
}

void Display::SetDesktopListener(DesktopListener listener) {
  std::lock_guard notify(listener_mutex_);
  listener_ = std::move(listener);
  if (listener_) listener_(desktop());
}

DWORD Display::GetFourCCCodes(DWORD* codes, DWORD capacity) {
  std::lock_guard lock(mutex_);
  if (codes)
    for (DWORD i = 0; i < capacity && i < desc_.fourcc_codes.size(); ++i) codes[i] = desc_.fourcc_codes[i];
  return static_cast<DWORD>(desc_.fourcc_codes.size());
}

HRESULT Display::CreateSurface(const DDSURFACEDESC& desc, std::shared_ptr<platform::DisplaySurface>* surface) {
  std::lock_guard lock(mutex_);
  if (create_failures_ > 0) {
    --create_failures_;
    return create_error_;
  }
  DWORD caps = (desc.dwFlags & DDSD_CAPS) ? desc.ddsCaps.dwCaps : 0;
  HRESULT hr = CheckChainAndPort(desc, caps);
  if (hr != DD_OK) return hr;
  bool flipping = caps & DDSCAPS_FLIP;
  if ((caps & DDSCAPS_VIDEOMEMORY) && (caps & DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;

  auto r = std::make_unique<Record>();
  r->id = next_id_;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
    if (caps & (DDSCAPS_OVERLAY | DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
    r->primary = true;
    r->caps = kPrimaryCaps;
  } else {
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc.dwWidth == 0 ||
        desc.dwHeight == 0 || desc.dwWidth > kMaxSurfaceSide || desc.dwHeight > kMaxSurfaceSide)
      return DDERR_INVALIDPARAMS;
    bool overlay = caps & DDSCAPS_OVERLAY;
    if (overlay && !desc_.overlay) return DDERR_NOOVERLAYHW;
    if (overlay && (caps & DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
    DDPIXELFORMAT format = mode_.format;
    if (desc.dwFlags & DDSD_PIXELFORMAT) {
      const DDPIXELFORMAT& f = desc.ddpfPixelFormat;
      if (!(f.dwFlags & DDPF_FOURCC) || FourCCBits(f.dwFourCC) == 0) return DDERR_INVALIDPIXELFORMAT;
      bool listed =
          std::find(desc_.fourcc_codes.begin(), desc_.fourcc_codes.end(), f.dwFourCC) != desc_.fourcc_codes.end();
      // The hardware takes only the codes it lists; emulation in system memory takes any it knows.
      if (!listed && !(caps & DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDPIXELFORMAT;
      format = FourCCFormat(f.dwFourCC);
    }
    r->width = desc.dwWidth;
    r->height = desc.dwHeight;
    r->format = format;
    r->pitch =
        static_cast<LONG>(AlignUp((std::uint64_t(desc.dwWidth) * format.dwRGBBitCount + 7) / 8, desc_.pitch_alignment));
    auto bytes = static_cast<std::uint32_t>(std::uint64_t(r->pitch) * desc.dwHeight);
    bool wantVideo = overlay || (caps & DDSCAPS_VIDEOMEMORY) || !(caps & DDSCAPS_SYSTEMMEMORY);
    bool placed = false;
    if (wantVideo && !exhausted_) {
      if (auto offset = memory_->Allocate(bytes, desc_.pitch_alignment)) {
        r->offset = *offset;
        r->memory = memory_->base() + *offset;
        r->inDisplayMemory = true;
        placed = true;
      }
    }
    bool mayUseSystem = !overlay && !(caps & DDSCAPS_VIDEOMEMORY);
    if (!placed && !mayUseSystem) return DDERR_OUTOFVIDEOMEMORY;
    if (flipping) {
      auto back = memory_->Allocate(bytes, desc_.pitch_alignment);
      if (!back) {
        memory_->Free(r->offset);
        return DDERR_OUTOFVIDEOMEMORY;
      }
      r->backOffset = *back;
      r->backMemory = memory_->base() + *back;
    }
    if (!placed) {
      r->systemBytes = AlignUp(bytes, kPageSize);
      r->memory = static_cast<BYTE*>(MapBelow4G(r->systemBytes, true));
    }
    r->caps = (caps & ~(DDSCAPS_VIDEOMEMORY | DDSCAPS_SYSTEMMEMORY)) |
              (r->inDisplayMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  }
  ++next_id_;
  std::uint32_t id = r->id;
  surfaces_[id] = std::move(r);
  *surface = std::make_shared<SimSurface>(shared_from_this(), id);
  return DD_OK;
}

HRESULT Display::CheckChainAndPort(const DDSURFACEDESC& desc, DWORD caps) const {
  if (caps & DDSCAPS_VIDEOPORT) {
    if (!desc_.video_port.present) return DDERR_INVALIDCAPS;
    if (!(caps & DDSCAPS_OVERLAY)) return DDERR_INVALIDCAPS;
  }
  bool chain = (desc.dwFlags & DDSD_BACKBUFFERCOUNT) || (caps & (DDSCAPS_COMPLEX | DDSCAPS_FLIP));
  if (caps & DDSCAPS_BACKBUFFER) return DDERR_INVALIDCAPS;
  if (!chain) return DD_OK;
  // Flipping chains only as a video port's target that auto-flips: a front buffer
  // and one back buffer.
  if (!(caps & DDSCAPS_VIDEOPORT) || (caps & (DDSCAPS_COMPLEX | DDSCAPS_FLIP)) != (DDSCAPS_COMPLEX | DDSCAPS_FLIP) ||
      !(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount != 1)
    return DDERR_INVALIDCAPS;
  if (desc_.video_port.refuse_flipping_target) return DDERR_INVALIDCAPS;
  return DD_OK;
}

void Display::DescribeDesktopLocked(platform::SurfaceMemory* m) const {
  m->base = memory_->base() + mode_.offset;
  m->pitch = mode_.pitch;
  m->width = mode_.width;
  m->height = mode_.height;
  m->format = mode_.format;
  m->caps = kPrimaryCaps;
}

void Display::Describe(const Record& r, platform::SurfaceMemory* m) const {
  if (r.primary) {
    DescribeDesktopLocked(m);
    return;
  }
  m->caps = r.caps;
  m->base = r.memory;
  m->pitch = r.pitch;
  m->width = r.width;
  m->height = r.height;
  m->format = r.format;
}

HRESULT Display::SurfaceLock(std::uint32_t id, platform::SurfaceMemory* memory, bool asLock) {
  std::lock_guard lock(mutex_);
  auto it = surfaces_.find(id);
  if (it == surfaces_.end()) return DDERR_GENERIC;
  Record& r = *it->second;
  if (r.loseRemaining > 0) return DDERR_SURFACELOST;
  if (asLock && still_drawing_ > 0) {
    --still_drawing_;
    return DDERR_WASSTILLDRAWING;
  }
  Describe(r, memory);
  if (asLock) ++r.locks;
  return DD_OK;
}

void Display::SurfaceUnlock(std::uint32_t id) {
  std::lock_guard lock(mutex_);
  auto it = surfaces_.find(id);
  if (it != surfaces_.end() && it->second->locks > 0) --it->second->locks;
}

HRESULT Display::SurfaceRestore(std::uint32_t id) {
  std::lock_guard lock(mutex_);
  auto it = surfaces_.find(id);
  if (it == surfaces_.end()) return DDERR_GENERIC;
  Record& r = *it->second;
  if (r.loseRemaining == 0) return DD_OK;
  if (restore_failures_ > 0) {
    --restore_failures_;
    return restore_error_;
  }
  --r.loseRemaining;
  return DD_OK;
}

HRESULT Display::SurfaceBlt(std::uint32_t id, const RECT* destRect, std::uint32_t source, const RECT* sourceRect,
                            DWORD flags) {
  std::lock_guard lock(mutex_);
  DisplayCall call;
  call.kind = DisplayCallKind::Blt;
  call.surface = id;
  call.other = source;
  if (destRect) call.dest_rect = *destRect;
  if (sourceRect) call.source_rect = *sourceRect;
  call.flags = flags;
  auto finish = [&](HRESULT hr) {
    call.result = hr;
    Log(call);
    return hr;
  };
  auto d = surfaces_.find(id), s = surfaces_.find(source);
  if (d == surfaces_.end() || s == surfaces_.end()) return finish(DDERR_INVALIDPARAMS);
  if (d->second->loseRemaining > 0 || s->second->loseRemaining > 0) return finish(DDERR_SURFACELOST);
  if (still_drawing_ > 0) {
    --still_drawing_;
    return finish(DDERR_WASSTILLDRAWING);
  }
  if (flags != 0) return finish(DDERR_UNSUPPORTED);
  platform::SurfaceMemory dm, sm;
  Describe(*d->second, &dm);
  Describe(*s->second, &sm);
  RECT dr = destRect ? *destRect : Whole(dm);
  RECT sr = sourceRect ? *sourceRect : Whole(sm);
  if (!ValidRect(dr, dm) || !ValidRect(sr, sm)) return finish(DDERR_INVALIDRECT);
  if (!SameFormat(dm.format, sm.format)) return finish(DDERR_INVALIDPIXELFORMAT);
  if ((Width(dr) != Width(sr) || Height(dr) != Height(sr)) && !desc_.blt_stretch) return finish(DDERR_UNSUPPORTED);
  // Through a buffer, so that a blit within one surface reads only old pixels.
  DWORD bits = dm.format.dwRGBBitCount;
  std::vector<DWORD> values(static_cast<std::size_t>(Width(dr)) * Height(dr));
  for (LONG y = 0; y < Height(dr); ++y) {
    LONG sy = sr.top + static_cast<LONG>(std::int64_t(y) * Height(sr) / Height(dr));
    const BYTE* line = sm.base + static_cast<std::ptrdiff_t>(sy) * sm.pitch;
    for (LONG x = 0; x < Width(dr); ++x) {
      LONG sx = sr.left + static_cast<LONG>(std::int64_t(x) * Width(sr) / Width(dr));
      values[static_cast<std::size_t>(y) * Width(dr) + x] = platform::ReadPixelValue(line, DWORD(sx), bits);
    }
  }
  for (LONG y = 0; y < Height(dr); ++y) {
    BYTE* line = dm.base + static_cast<std::ptrdiff_t>(dr.top + y) * dm.pitch;
    for (LONG x = 0; x < Width(dr); ++x)
      platform::WritePixelValue(line, DWORD(dr.left + x), bits, values[static_cast<std::size_t>(y) * Width(dr) + x]);
  }
  return finish(DD_OK);
}

HRESULT Display::CheckOverlay(const Record& r, const RECT& s, const Record& dest, const RECT& t, DWORD flags,
                              const DDOVERLAYFX* fx) const {
  platform::SurfaceMemory sm, dm;
  Describe(r, &sm);
  Describe(dest, &dm);
  if (!ValidRect(s, sm) || !ValidRect(t, dm)) return DDERR_INVALIDRECT;
  if (desc_.align_boundary_dest && DWORD(t.left) % desc_.align_boundary_dest) return DDERR_XALIGN;
  if (desc_.align_size_dest && DWORD(Width(t)) % desc_.align_size_dest) return DDERR_XALIGN;
  if (desc_.align_size_src && DWORD(Width(s)) % desc_.align_size_src) return DDERR_XALIGN;
  std::uint64_t stretchX = std::uint64_t(Width(t)) * 1000 / Width(s);
  std::uint64_t stretchY = std::uint64_t(Height(t)) * 1000 / Height(s);
  for (std::uint64_t f : {stretchX, stretchY})
    if (f < desc_.min_overlay_stretch || f > desc_.max_overlay_stretch) return DDERR_OUTOFCAPS;
  if (flags & (DDOVER_KEYDEST | DDOVER_KEYDESTOVERRIDE)) {
    if (!desc_.dest_overlay_key) return DDERR_NOCOLORKEYHW;
    if ((flags & DDOVER_KEYDESTOVERRIDE) ? !fx : !dest.destOverlayKey) return DDERR_NOCOLORKEY;
  }
  if (flags & (DDOVER_KEYSRC | DDOVER_KEYSRCOVERRIDE)) {
    if (!desc_.src_overlay_key) return DDERR_NOCOLORKEYHW;
    if ((flags & DDOVER_KEYSRCOVERRIDE) ? !fx : !r.srcOverlayKey) return DDERR_NOCOLORKEY;
  }
  return DD_OK;
}

HRESULT Display::SurfaceUpdateOverlay(std::uint32_t id, const RECT* sourceRect, std::uint32_t dest,
                                      const RECT* destRect, DWORD flags, const DDOVERLAYFX* fx) {
  std::lock_guard lock(mutex_);
  DisplayCall call;
  call.kind = DisplayCallKind::UpdateOverlay;
  call.surface = id;
  call.other = dest;
  if (sourceRect) call.source_rect = *sourceRect;
  if (destRect) call.dest_rect = *destRect;
  call.flags = flags;
  if (fx) call.fx = *fx;
  auto finish = [&](HRESULT hr) {
    call.result = hr;
    Log(call);
    return hr;
  };
  auto o = surfaces_.find(id), p = surfaces_.find(dest);
  if (o == surfaces_.end() || p == surfaces_.end()) return finish(DDERR_INVALIDPARAMS);
  Record& r = *o->second;
  Record& target = *p->second;
  if (r.loseRemaining > 0 || target.loseRemaining > 0) return finish(DDERR_SURFACELOST);
  if (!(r.caps & DDSCAPS_OVERLAY)) return finish(DDERR_NOTAOVERLAYSURFACE);
  if (!target.primary) return finish(DDERR_INVALIDPARAMS);
  // Auto-flip shows the chain's buffers in turn; a single surface has nothing to flip.
  if ((flags & DDOVER_AUTOFLIP) && !r.backMemory) return finish(DDERR_INVALIDPARAMS);
  if ((flags & DDOVER_SHOW) && (flags & DDOVER_HIDE)) return finish(DDERR_INVALIDPARAMS);
  if (flags & DDOVER_HIDE) {
    r.overlay.visible = false;
    return finish(DD_OK);
  }
  if (!(flags & DDOVER_SHOW) && !r.overlay.visible) return finish(DD_OK);
  platform::SurfaceMemory sm, dm;
  Describe(r, &sm);
  Describe(target, &dm);
  RECT s = sourceRect ? *sourceRect : Whole(sm);
  RECT t = destRect ? *destRect : Whole(dm);
  HRESULT hr = CheckOverlay(r, s, target, t, flags, fx);
  if (hr != DD_OK) return finish(hr);
  if (!r.overlay.visible && VisibleOverlays() >= desc_.max_visible_overlays) return finish(DDERR_OUTOFCAPS);
  r.overlay.visible = true;
  r.overlay.source = s;
  r.overlay.dest = t;
  r.overlay.dest_surface = dest;
  r.overlay.flags = flags;
  r.overlay.dest_key_override = fx ? fx->dckDestColorkey : DDCOLORKEY{};
  r.overlay.src_key_override = fx ? fx->dckSrcColorkey : DDCOLORKEY{};
  return finish(DD_OK);
}

HRESULT Display::SurfaceSetOverlayPosition(std::uint32_t id, LONG x, LONG y) {
  std::lock_guard lock(mutex_);
  DisplayCall call;
  call.kind = DisplayCallKind::SetOverlayPosition;
  call.surface = id;
  call.x = x;
  call.y = y;
  auto finish = [&](HRESULT hr) {
    call.result = hr;
    Log(call);
    return hr;
  };
  auto o = surfaces_.find(id);
  if (o == surfaces_.end()) return finish(DDERR_INVALIDPARAMS);
  Record& r = *o->second;
  if (r.loseRemaining > 0) return finish(DDERR_SURFACELOST);
  if (!(r.caps & DDSCAPS_OVERLAY)) return finish(DDERR_NOTAOVERLAYSURFACE);
  auto p = surfaces_.find(r.overlay.dest_surface);
  if (!r.overlay.visible || p == surfaces_.end()) return finish(DDERR_OVERLAYNOTVISIBLE);
  call.other = r.overlay.dest_surface;
  if (desc_.align_boundary_dest && DWORD(x) % desc_.align_boundary_dest) return finish(DDERR_XALIGN);
  platform::SurfaceMemory dm;
  Describe(*p->second, &dm);
  RECT t{x, y, x + Width(r.overlay.dest), y + Height(r.overlay.dest)};
  if (!ValidRect(t, dm)) return finish(DDERR_INVALIDPOSITION);
  r.overlay.dest = t;
  return finish(DD_OK);
}

HRESULT Display::SurfaceSetColorKey(std::uint32_t id, DWORD flags, const DDCOLORKEY* key) {
  std::lock_guard lock(mutex_);
  DisplayCall call;
  call.kind = DisplayCallKind::SetColorKey;
  call.surface = id;
  call.flags = flags;
  call.key = *key;
  auto finish = [&](HRESULT hr) {
    call.result = hr;
    Log(call);
    return hr;
  };
  auto o = surfaces_.find(id);
  if (o == surfaces_.end()) return finish(DDERR_INVALIDPARAMS);
  Record& r = *o->second;
  DDCOLORKEY k = *key;
  if (!(flags & DDCKEY_COLORSPACE)) k.dwColorSpaceHighValue = k.dwColorSpaceLowValue;
  switch (flags & ~DDCKEY_COLORSPACE) {
    case DDCKEY_DESTOVERLAY:
      if (!desc_.dest_overlay_key) return finish(DDERR_NOCOLORKEYHW);
      r.destOverlayKey = k;
      return finish(DD_OK);
    case DDCKEY_SRCOVERLAY:
      if (!desc_.src_overlay_key) return finish(DDERR_NOCOLORKEYHW);
      if (!(r.caps & DDSCAPS_OVERLAY)) return finish(DDERR_NOTAOVERLAYSURFACE);
      r.srcOverlayKey = k;
      return finish(DD_OK);
    default:
      return finish(DDERR_INVALIDPARAMS);
  }
}

HRESULT Display::SurfacePageLock(std::uint32_t id, bool lockPages) {
  std::lock_guard lock(mutex_);
  auto o = surfaces_.find(id);
  if (o == surfaces_.end()) return DDERR_INVALIDPARAMS;
  Record& r = *o->second;
  if (lockPages) {
    ++r.pageLocks;
    return DD_OK;
  }
  if (r.pageLocks == 0) return DDERR_NOTPAGELOCKED;
  --r.pageLocks;
  return DD_OK;
}

void Display::SurfaceDestroyed(std::uint32_t id) {
  std::lock_guard lock(mutex_);
  auto it = surfaces_.find(id);
  if (it == surfaces_.end()) return;
  Record& r = *it->second;
  if (r.inDisplayMemory) memory_->Free(r.offset);
  if (r.backMemory) memory_->Free(r.backOffset);
  if (r.systemBytes) UnmapBelow4G(r.memory, r.systemBytes);
  if (port_.target == id) port_.target = 0;
  // Overlays shown on a destination that goes away are no longer shown.
  for (auto& entry : surfaces_)
    if (entry.second->overlay.dest_surface == id) entry.second->overlay.visible = false;
  surfaces_.erase(it);
}

DWORD Display::VisibleOverlays() const {
  DWORD n = 0;
  for (const auto& entry : surfaces_)
    if (entry.second->overlay.visible) ++n;
  return n;
}

void Display::Log(DisplayCall call) {
  // Bounded, so that a caller retrying for seconds does not eat the memory.
  if (calls_.size() < kMaxRecordedCalls) calls_.push_back(std::move(call));
}

DesktopMode Display::desktop() const {
  std::lock_guard lock(mutex_);
  return mode_;
}

void Display::DescribeDesktop(platform::SurfaceMemory* memory) {
  std::lock_guard lock(mutex_);
  DescribeDesktopLocked(memory);
}

BYTE* Display::desktop_memory() const {
  std::lock_guard lock(mutex_);
  platform::SurfaceMemory m;
  DescribeDesktopLocked(&m);
  return m.base;
}

void Display::FillDesktop(const RECT& rect, COLORREF color) {
  std::lock_guard lock(mutex_);
  platform::SurfaceMemory m;
  DescribeDesktopLocked(&m);
  RECT r{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0), std::min<LONG>(rect.right, LONG(m.width)),
         std::min<LONG>(rect.bottom, LONG(m.height))};
  platform::FillPixels(m.base, m.pitch, m.format.dwRGBBitCount, r, platform::EncodeColor(m.format, color));
}

SurfaceInfo Display::Info(const Record& r) const {
  platform::SurfaceMemory m;
  Describe(r, &m);
  SurfaceInfo info;
  info.id = r.id;
  info.caps = r.caps;
  info.width = m.width;
  info.height = m.height;
  info.pitch = m.pitch;
  info.memory = m.base;
  memory_->PhysicalAddress(m.base, &info.physical);
  info.format = m.format;
  info.lost = r.loseRemaining > 0;
  info.locks = r.locks;
  info.page_locks = r.pageLocks;
  info.dest_overlay_key = r.destOverlayKey;
  info.src_overlay_key = r.srcOverlayKey;
  info.overlay = r.overlay;
  info.back_buffers = r.backMemory ? 1 : 0;
  info.flips = r.flips;
  return info;
}

std::vector<SurfaceInfo> Display::Surfaces() const {
  std::lock_guard lock(mutex_);
  std::vector<SurfaceInfo> out;
  for (const auto& entry : surfaces_) out.push_back(Info(*entry.second));
  return out;
}

std::optional<SurfaceInfo> Display::Surface(std::uint32_t id) const {
  std::lock_guard lock(mutex_);
  auto it = surfaces_.find(id);
  if (it == surfaces_.end()) return std::nullopt;
  return Info(*it->second);
}

std::optional<SurfaceInfo> Display::SurfaceAt(const void* address) const {
  std::lock_guard lock(mutex_);
  auto p = reinterpret_cast<std::uintptr_t>(address);
  for (const auto& entry : surfaces_) {
    if (entry.second->primary) continue;
    SurfaceInfo info = Info(*entry.second);
    auto b = reinterpret_cast<std::uintptr_t>(info.memory);
    if (p >= b && p < b + std::uintptr_t(info.pitch) * info.height) return info;
  }
  return std::nullopt;
}

std::vector<DisplayCall> Display::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::size_t Display::CountCalls(DisplayCallKind kind) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(calls_.begin(), calls_.end(), [kind](const DisplayCall& c) { return c.kind == kind; }));
}

void Display::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void Display::LoseSurfaces(int times) {
  std::lock_guard lock(mutex_);
  for (auto& entry : surfaces_) entry.second->loseRemaining = times;
}

void Display::LoseSurface(std::uint32_t id, int times) {
  std::lock_guard lock(mutex_);
  auto it = surfaces_.find(id);
  if (it != surfaces_.end()) it->second->loseRemaining = times;
}

void Display::SetStillDrawing(int count) {
  std::lock_guard lock(mutex_);
  still_drawing_ = count;
}

void Display::FailRestore(int count, HRESULT error) {
  std::lock_guard lock(mutex_);
  restore_failures_ = count;
  restore_error_ = error;
}

void Display::FailCreateSurface(int count, HRESULT error) {
  std::lock_guard lock(mutex_);
  create_failures_ = count;
  create_error_ = error;
}

void Display::SetVideoMemoryExhausted(bool exhausted) {
  std::lock_guard lock(mutex_);
  exhausted_ = exhausted;
}

}  // namespace sim
