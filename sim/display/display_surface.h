// The display's objects behind DirectDraw's (inside sim only).
#pragma once

#include "sim/display/display.h"

namespace sim {

// The adapter's side of one DirectDraw surface.
class SimSurface final : public platform::DisplaySurface {
 public:
  SimSurface(std::shared_ptr<Display> display, std::uint32_t id) : display_(std::move(display)), id_(id) {}
  ~SimSurface() override { display_->SurfaceDestroyed(id_); }

  HRESULT Lock(platform::SurfaceMemory* memory) override { return display_->SurfaceLock(id_, memory, true); }
  void Unlock() override { display_->SurfaceUnlock(id_); }
  HRESULT Describe(platform::SurfaceMemory* memory) override { return display_->SurfaceLock(id_, memory, false); }
  HRESULT Restore() override { return display_->SurfaceRestore(id_); }
  HRESULT Blt(const RECT* destRect, DisplaySurface* source, const RECT* sourceRect, DWORD flags) override {
    auto* src = Mine(source);
    if (!src) return DDERR_INVALIDPARAMS;
    return display_->SurfaceBlt(id_, destRect, src->id_, sourceRect, flags);
  }
  HRESULT UpdateOverlay(const RECT* sourceRect, DisplaySurface* dest, const RECT* destRect, DWORD flags,
                        const DDOVERLAYFX* fx) override {
    auto* target = Mine(dest);
    if (!target) return DDERR_INVALIDPARAMS;
    return display_->SurfaceUpdateOverlay(id_, sourceRect, target->id_, destRect, flags, fx);
  }
  HRESULT SetOverlayPosition(LONG x, LONG y) override { return display_->SurfaceSetOverlayPosition(id_, x, y); }
  HRESULT SetColorKey(DWORD flags, const DDCOLORKEY* key) override {
    return display_->SurfaceSetColorKey(id_, flags, key);
  }
  HRESULT PageLock() override { return display_->SurfacePageLock(id_, true); }
  HRESULT PageUnlock() override { return display_->SurfacePageLock(id_, false); }

  std::uint32_t id() const { return id_; }
  bool Of(const Display* display) const { return display_.get() == display; }

 private:
  // A surface of this same display, or null.
  SimSurface* Mine(DisplaySurface* other) const {
    auto* s = dynamic_cast<SimSurface*>(other);
    return s && s->display_ == display_ ? s : nullptr;
  }

  std::shared_ptr<Display> display_;
  std::uint32_t id_;
};

// The adapter's side of its video port: the port's state is the display's.
class SimVideoPort final : public platform::DisplayVideoPort {
 public:
  explicit SimVideoPort(std::shared_ptr<Display> display) : display_(std::move(display)) {}
  ~SimVideoPort() override { display_->PortDestroyed(); }

  DWORD GetOutputFormats(const DDPIXELFORMAT& input, DDPIXELFORMAT* formats, DWORD capacity) override {
    return display_->PortOutputFormats(input, formats, capacity);
  }
  HRESULT SetTargetSurface(platform::DisplaySurface* surface) override {
    auto* s = dynamic_cast<SimSurface*>(surface);
    if (!s || !s->Of(display_.get())) return DDERR_INVALIDPARAMS;
    return display_->PortSetTarget(s->id());
  }
  HRESULT Start(const platform::VideoPortStart& start) override { return display_->PortStart(start); }
  HRESULT Stop() override { return display_->PortStop(); }

 private:
  std::shared_ptr<Display> display_;
};

}  // namespace sim
