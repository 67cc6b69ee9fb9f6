// DirectDraw's own part: the DirectDraw object and the surface objects with their
// reference counts, interface queries, argument checks, locks and device contexts.
// What the hardware does is the registered display adapter's.
#include <atomic>
#include <initializer_list>
#include <mutex>
#include <new>

#include "platform/ddraw_internal.h"
#include "platform/device_context.h"
#include "platform/fault_injection.h"

namespace platform {
namespace {

std::mutex g_mutex;
std::shared_ptr<DisplayAdapter> g_adapter;
const void* g_exclusiveOwner = nullptr;
std::atomic<std::size_t> g_liveObjects{0};
std::atomic<std::size_t> g_liveSurfaces{0};

bool RectInside(const RECT& r, DWORD width, DWORD height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<DWORD>(r.right) <= width &&
         static_cast<DWORD>(r.bottom) <= height;
}

class SurfaceObject final : public IDirectDrawSurface, public IDirectDrawSurface2 {
 public:
  explicit SurfaceObject(std::shared_ptr<DisplaySurface> surface) : surface_(std::move(surface)) { ++g_liveSurfaces; }
  ~SurfaceObject() {
    if (dc_) DeleteDeviceContext(dc_);
    for (; locks_ > 0; --locks_) surface_->Unlock();
    --g_liveSurfaces;
  }

  static SurfaceObject* From(IDirectDrawSurface2* s) { return dynamic_cast<SurfaceObject*>(s); }
  static SurfaceObject* From(IDirectDrawSurface* s) { return dynamic_cast<SurfaceObject*>(s); }
  DisplaySurface* adapter_surface() const { return surface_.get(); }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return DDERR_INVALIDPARAMS;
    *object = nullptr;
    if (IsEqualGUID(iid, IID_IUnknown))
      *object = static_cast<IDirectDrawSurface*>(this);
    else if (IsEqualGUID(iid, IID_IDirectDrawSurface2))
      *object = static_cast<IDirectDrawSurface2*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD, HANDLE) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::Lock", &hr)) return hr;
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
    SurfaceMemory m;
    hr = surface_->Lock(&m);
    if (hr != DD_OK) return hr;
    BYTE* address = m.base;
    if (rect) {
      if (!RectInside(*rect, m.width, m.height)) {
        surface_->Unlock();
        return DDERR_INVALIDRECT;
      }
      address += static_cast<std::ptrdiff_t>(rect->top) * m.pitch +
                 static_cast<std::ptrdiff_t>(rect->left) * (m.format.dwRGBBitCount / 8);
    }
    ++locks_;
    *desc = DDSURFACEDESC{};
    desc->dwSize = sizeof(DDSURFACEDESC);
    desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
    desc->dwHeight = m.height;
    desc->dwWidth = m.width;
    desc->lPitch = m.pitch;
    desc->lpSurface = address;
    desc->ddpfPixelFormat = m.format;
    desc->ddsCaps.dwCaps = m.caps;
    return DD_OK;
  }
  HRESULT Unlock(LPVOID) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::Unlock", &hr)) return hr;
    if (locks_ == 0) return DDERR_NOTLOCKED;
    --locks_;
    surface_->Unlock();
    return DD_OK;
  }
  HRESULT Restore() override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::Restore", &hr)) return hr;
    return surface_->Restore();
  }
  HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface2** attached) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::GetAttachedSurface", &hr)) return hr;
    if (!caps || !attached) return DDERR_INVALIDPARAMS;
    // Back buffers of flipping chains are the video port's alone and are not handed out.
    *attached = nullptr;
    return DDERR_NOTFOUND;
  }
  HRESULT Blt(RECT* destRect, IDirectDrawSurface2* source, RECT* sourceRect, DWORD flags, DDBLTFX*) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::Blt", &hr)) return hr;
    SurfaceObject* src = source ? From(source) : nullptr;
    if (!src) return DDERR_INVALIDPARAMS;
    return surface_->Blt(destRect, src->surface_.get(), sourceRect, flags);
  }
  HRESULT UpdateOverlay(RECT* sourceRect, IDirectDrawSurface2* dest, RECT* destRect, DWORD flags,
                        DDOVERLAYFX* fx) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::UpdateOverlay", &hr)) return hr;
    SurfaceObject* target = dest ? From(dest) : nullptr;
    if (!target) return DDERR_INVALIDPARAMS;
    if ((flags & DDOVER_DDFX) && (!fx || fx->dwSize != sizeof(DDOVERLAYFX))) return DDERR_INVALIDPARAMS;
    return surface_->UpdateOverlay(sourceRect, target->surface_.get(), destRect, flags,
                                   (flags & DDOVER_DDFX) ? fx : nullptr);
  }
  HRESULT SetOverlayPosition(LONG x, LONG y) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::SetOverlayPosition", &hr)) return hr;
    return surface_->SetOverlayPosition(x, y);
  }
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::SetColorKey", &hr)) return hr;
    if (!key) return DDERR_INVALIDPARAMS;
    return surface_->SetColorKey(flags, key);
  }
  HRESULT GetDC(HDC* dc) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::GetDC", &hr)) return hr;
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (dc_) return DDERR_DCALREADYCREATED;
    SurfaceMemory m;
    hr = surface_->Describe(&m);
    if (hr != DD_OK) return hr;
    if (m.format.dwFlags & DDPF_FOURCC) return DDERR_CANTCREATEDC;
    dc_ = CreateClippedDC(m, POINT{0, 0}, Region{Whole(m)});
    *dc = dc_;
    return DD_OK;
  }
  HRESULT ReleaseDC(HDC dc) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::ReleaseDC", &hr)) return hr;
    if (!dc_ || dc != dc_) return DDERR_INVALIDPARAMS;
    DeleteDeviceContext(dc_);
    dc_ = nullptr;
    return DD_OK;
  }
  HRESULT PageLock(DWORD flags) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::PageLock", &hr)) return hr;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    return surface_->PageLock();
  }
  HRESULT PageUnlock(DWORD flags) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawSurface2::PageUnlock", &hr)) return hr;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    return surface_->PageUnlock();
  }

 private:
  std::shared_ptr<DisplaySurface> surface_;
  std::atomic<ULONG> refs_{1};
  int locks_ = 0;
  HDC dc_ = nullptr;
};

class DirectDrawObject final : public IDirectDraw, public IDirectDraw2, public IDDVideoPortContainer {
 public:
  explicit DirectDrawObject(std::shared_ptr<DisplayAdapter> adapter) : adapter_(std::move(adapter)) { ++g_liveObjects; }
  ~DirectDrawObject() {
    {
      std::lock_guard lock(g_mutex);
      if (g_exclusiveOwner == this) g_exclusiveOwner = nullptr;
    }
    // Leaving the program's display mode, as DirectDraw does when its owner goes.
    if (mode_changed_) adapter_->RestoreDisplayMode();
    --g_liveObjects;
  }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return DDERR_INVALIDPARAMS;
    *object = nullptr;
    if (IsEqualGUID(iid, IID_IUnknown))
      *object = static_cast<IDirectDraw*>(this);
    else if (IsEqualGUID(iid, IID_IDirectDraw2))
      *object = static_cast<IDirectDraw2*>(this);
    else if (IsEqualGUID(iid, IID_IDDVideoPortContainer) && !adapter_->VideoPortCaps().empty())
      *object = static_cast<IDDVideoPortContainer*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // IDDVideoPortContainer
  HRESULT CreateVideoPort(DWORD flags, DDVIDEOPORTDESC* desc, IDirectDrawVideoPort** port, IUnknown* outer) override {
    return platform::CreateVideoPort(*adapter_, flags, desc, port, outer);
  }
  HRESULT EnumVideoPorts(DWORD flags, DDVIDEOPORTCAPS* filter, LPVOID context,
                         LPDDENUMVIDEOCALLBACK callback) override {
    return platform::EnumVideoPorts(*adapter_, flags, filter, context, callback);
  }
  HRESULT GetVideoPortConnectInfo(DWORD portId, DWORD* count, DDVIDEOPORTCONNECT* connections) override {
    return platform::GetVideoPortConnectInfo(*adapter_, portId, count, connections);
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    HRESULT hr;
    if (DDrawFault("IDirectDraw2::SetCooperativeLevel", &hr)) return hr;
    bool exclusive = flags & DDSCL_EXCLUSIVE;
    bool fullScreen = flags & DDSCL_FULLSCREEN;
    // Exclusive and full-screen go together and need the window that owns the screen.
    if (exclusive != fullScreen || (!exclusive && !(flags & DDSCL_NORMAL)) || (exclusive && !window))
      return DDERR_INVALIDPARAMS;
    std::lock_guard lock(g_mutex);
    if (exclusive) {
      if (g_exclusiveOwner && g_exclusiveOwner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
      g_exclusiveOwner = this;
    } else if (g_exclusiveOwner == this) {
      g_exclusiveOwner = nullptr;
    }
    level_ = flags;
    return DD_OK;
  }
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD, DWORD) override {
    HRESULT hr;
    if (DDrawFault("IDirectDraw2::SetDisplayMode", &hr)) return hr;
    if (!(level_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
    hr = adapter_->SetDisplayMode(width, height, bitsPerPixel);
    if (hr == DD_OK) mode_changed_ = true;
    return hr;
  }
  HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) override {
    HRESULT hr;
    if (DDrawFault("IDirectDraw2::GetCaps", &hr)) return hr;
    if (!driverCaps && !emulationCaps) return DDERR_INVALIDPARAMS;
    for (DDCAPS* caps : {driverCaps, emulationCaps}) {
      if (!caps) continue;
      if (caps->dwSize != sizeof(DDCAPS)) return DDERR_INVALIDPARAMS;
      *caps = DDCAPS{};
      caps->dwSize = sizeof(DDCAPS);
    }
    adapter_->GetCaps(driverCaps, emulationCaps);
    return DD_OK;
  }
  HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) override {
    HRESULT hr;
    if (DDrawFault("IDirectDraw2::CreateSurface", &hr)) return hr;
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC) || !surface || outer) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (level_ == 0) return DDERR_NOCOOPERATIVELEVELSET;
    std::shared_ptr<DisplaySurface> made;
    hr = adapter_->CreateSurface(*desc, &made);
    if (hr != DD_OK) return hr;
    auto* object = new (std::nothrow) SurfaceObject(std::move(made));
    if (!object) return DDERR_OUTOFMEMORY;
    *surface = static_cast<IDirectDrawSurface*>(object);
    return DD_OK;
  }
  HRESULT GetFourCCCodes(DWORD* count, DWORD* codes) override {
    HRESULT hr;
    if (DDrawFault("IDirectDraw2::GetFourCCCodes", &hr)) return hr;
    if (!count) return DDERR_INVALIDPARAMS;
    *count = adapter_->GetFourCCCodes(codes, codes ? *count : 0);
    return DD_OK;
  }

 private:
  std::shared_ptr<DisplayAdapter> adapter_;
  std::atomic<ULONG> refs_{1};
  DWORD level_ = 0;
  bool mode_changed_ = false;
};

}  // namespace

bool DDrawFault(const char* call, HRESULT* result) {
  DWORD error = 0;
  if (!faults::ShouldFail(call, &error)) return false;
  *result = static_cast<HRESULT>(error);
  return true;
}

DisplaySurface* AdapterSurfaceOf(IDirectDrawSurface* surface) {
  SurfaceObject* object = SurfaceObject::From(surface);
  return object ? object->adapter_surface() : nullptr;
}

void RegisterDisplayAdapter(std::shared_ptr<DisplayAdapter> adapter) {
  std::lock_guard lock(g_mutex);
  g_adapter = std::move(adapter);
}

void UnregisterDisplayAdapter(const DisplayAdapter* adapter) {
  std::lock_guard lock(g_mutex);
  if (g_adapter.get() == adapter) g_adapter.reset();
}

std::shared_ptr<DisplayAdapter> CurrentDisplayAdapter() {
  std::lock_guard lock(g_mutex);
  return g_adapter;
}

std::size_t LiveDirectDrawObjects() { return g_liveObjects.load(); }
std::size_t LiveDirectDrawSurfaces() { return g_liveSurfaces.load(); }

}  // namespace platform

using namespace platform;

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** directDraw, IUnknown* outer) {
  HRESULT hr;
  if (DDrawFault("DirectDrawCreate", &hr)) return hr;
  if (!directDraw || outer || driver) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  std::shared_ptr<DisplayAdapter> adapter;
  {
    std::lock_guard lock(g_mutex);
    adapter = g_adapter;
  }
  if (!adapter) return DDERR_NODIRECTDRAWHW;
  auto* object = new (std::nothrow) DirectDrawObject(std::move(adapter));
  if (!object) return DDERR_OUTOFMEMORY;
  *directDraw = static_cast<IDirectDraw*>(object);
  return DD_OK;
}
