// DirectDraw's video ports: the container's enumeration, connection list and port
// creation, and the port object with its argument checks. The adapter's port does
// the writing.
#include <algorithm>
#include <atomic>
#include <new>

#include "platform/ddraw_internal.h"

namespace platform {
namespace {

std::atomic<std::size_t> g_livePorts{0};

// The flags a start may carry; each of the last three needs its capability.
constexpr DWORD kStartFlags = DDVP_CONVERT | DDVP_CROP | DDVP_AUTOFLIP | DDVP_SKIPEVENFIELDS | DDVP_SKIPODDFIELDS;

bool FindPort(DisplayAdapter& adapter, DWORD portId, DDVIDEOPORTCAPS* caps) {
  for (const DDVIDEOPORTCAPS& c : adapter.VideoPortCaps())
    if (c.dwVideoPortID == portId) {
      *caps = c;
      return true;
    }
  return false;
}

// Fills a caller's list the way both count queries do.
template <class T>
HRESULT CopyCounted(const std::vector<T>& all, DWORD* count, T* out) {
  auto total = static_cast<DWORD>(all.size());
  if (!out) {
    *count = total;
    return DD_OK;
  }
  DWORD n = std::min(*count, total);
  std::copy_n(all.begin(), n, out);
  *count = n;
  return n < total ? DDERR_MOREDATA : DD_OK;
}

class VideoPortObject final : public IDirectDrawVideoPort {
 public:
  VideoPortObject(std::shared_ptr<DisplayVideoPort> port, const DDVIDEOPORTDESC& desc, const DDVIDEOPORTCAPS& caps)
      : port_(std::move(port)), desc_(desc), caps_(caps) {
    ++g_livePorts;
  }
  // The adapter's port stops when it goes.
  ~VideoPortObject() { --g_livePorts; }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return DDERR_INVALIDPARAMS;
    *object = nullptr;
    if (!IsEqualGUID(iid, IID_IUnknown)) return E_NOINTERFACE;
    *object = static_cast<IDirectDrawVideoPort*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetOutputFormats(DDPIXELFORMAT* input, DWORD* count, DDPIXELFORMAT* formats, DWORD flags) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawVideoPort::GetOutputFormats", &hr)) return hr;
    if (!input || !count || input->dwSize != sizeof(DDPIXELFORMAT) || flags != DDVPFORMAT_VIDEO)
      return DDERR_INVALIDPARAMS;
    std::vector<DDPIXELFORMAT> all(port_->GetOutputFormats(*input, nullptr, 0));
    port_->GetOutputFormats(*input, all.data(), static_cast<DWORD>(all.size()));
    return CopyCounted(all, count, formats);
  }
  HRESULT SetTargetSurface(IDirectDrawSurface* surface, DWORD flags) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawVideoPort::SetTargetSurface", &hr)) return hr;
    DisplaySurface* target = surface ? AdapterSurfaceOf(surface) : nullptr;
    if (!target || flags != DDVPTARGET_VIDEO) return DDERR_INVALIDPARAMS;
    return port_->SetTargetSurface(target);
  }
  HRESULT StartVideo(DDVIDEOPORTINFO* info) override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawVideoPort::StartVideo", &hr)) return hr;
    if (!info || info->dwSize != sizeof(DDVIDEOPORTINFO) || !info->lpddpfInputFormat) return DDERR_INVALIDPARAMS;
    DWORD f = info->dwVPFlags;
    if ((f & ~kStartFlags) || ((f & DDVP_SKIPEVENFIELDS) && (f & DDVP_SKIPODDFIELDS))) return DDERR_INVALIDPARAMS;
    if (((f & DDVP_AUTOFLIP) && !(caps_.dwCaps & DDVPCAPS_AUTOFLIP)) ||
        ((f & DDVP_SKIPEVENFIELDS) && !(caps_.dwCaps & DDVPCAPS_SKIPEVENFIELDS)) ||
        ((f & DDVP_SKIPODDFIELDS) && !(caps_.dwCaps & DDVPCAPS_SKIPODDFIELDS)))
      return DDERR_INVALIDCAPS;
    // An input the port cannot write out.
    if (port_->GetOutputFormats(*info->lpddpfInputFormat, nullptr, 0) == 0) return DDERR_INVALIDPIXELFORMAT;
    VideoPortStart start;
    start.flags = f;
    start.input = *info->lpddpfInputFormat;
    start.crop = RECT{0, 0, static_cast<LONG>(desc_.dwFieldWidth), static_cast<LONG>(desc_.dwFieldHeight)};
    if (f & DDVP_CROP) {
      const RECT& c = info->rCrop;
      if (c.left < 0 || c.top < 0 || c.left >= c.right || c.top >= c.bottom || DWORD(c.right) > desc_.dwFieldWidth ||
          DWORD(c.bottom) > desc_.dwFieldHeight)
        return DDERR_INVALIDRECT;
      start.crop = c;
    }
    return port_->Start(start);
  }
  HRESULT StopVideo() override {
    HRESULT hr;
    if (DDrawFault("IDirectDrawVideoPort::StopVideo", &hr)) return hr;
    return port_->Stop();
  }

 private:
  std::shared_ptr<DisplayVideoPort> port_;
  DDVIDEOPORTDESC desc_;
  DDVIDEOPORTCAPS caps_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT EnumVideoPorts(DisplayAdapter& adapter, DWORD flags, DDVIDEOPORTCAPS* filter, LPVOID context,
                       LPDDENUMVIDEOCALLBACK callback) {
  HRESULT hr;
  if (DDrawFault("IDDVideoPortContainer::EnumVideoPorts", &hr)) return hr;
  if (!callback || flags != 0 || (filter && filter->dwSize != sizeof(DDVIDEOPORTCAPS))) return DDERR_INVALIDPARAMS;
  for (DDVIDEOPORTCAPS caps : adapter.VideoPortCaps()) {
    if (filter && (filter->dwFlags & DDVPD_ID) && filter->dwVideoPortID != caps.dwVideoPortID) continue;
    if (callback(&caps, context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT GetVideoPortConnectInfo(DisplayAdapter& adapter, DWORD portId, DWORD* count, DDVIDEOPORTCONNECT* connections) {
  HRESULT hr;
  if (DDrawFault("IDDVideoPortContainer::GetVideoPortConnectInfo", &hr)) return hr;
  DDVIDEOPORTCAPS caps;
  if (!count || !FindPort(adapter, portId, &caps)) return DDERR_INVALIDPARAMS;
  return CopyCounted(adapter.VideoPortConnections(portId), count, connections);
}

HRESULT CreateVideoPort(DisplayAdapter& adapter, DWORD flags, DDVIDEOPORTDESC* desc, IDirectDrawVideoPort** port,
                        IUnknown* outer) {
  HRESULT hr;
  if (DDrawFault("IDDVideoPortContainer::CreateVideoPort", &hr)) return hr;
  if (!desc || !port || outer || flags != 0 || desc->dwSize != sizeof(DDVIDEOPORTDESC) ||
      desc->VideoPortType.dwSize != sizeof(DDVIDEOPORTCONNECT))
    return DDERR_INVALIDPARAMS;
  *port = nullptr;
  DDVIDEOPORTCAPS caps;
  if (!FindPort(adapter, desc->dwVideoPortID, &caps)) return DDERR_INVALIDPARAMS;
  const DDVIDEOPORTCONNECT& wanted = desc->VideoPortType;
  auto offered = adapter.VideoPortConnections(desc->dwVideoPortID);
  bool connects = std::any_of(offered.begin(), offered.end(), [&](const DDVIDEOPORTCONNECT& c) {
    return IsEqualGUID(c.guidTypeID, wanted.guidTypeID) && c.dwPortWidth == wanted.dwPortWidth &&
           (wanted.dwFlags & ~c.dwFlags) == 0;
  });
  if (!connects) return DDERR_INVALIDPARAMS;
  if (desc->dwFieldWidth == 0 || desc->dwFieldHeight == 0 || desc->dwFieldWidth > caps.dwMaxWidth ||
      desc->dwFieldHeight > caps.dwMaxHeight || desc->dwVBIWidth > caps.dwMaxVBIWidth)
    return DDERR_INVALIDPARAMS;
  std::shared_ptr<DisplayVideoPort> made;
  hr = adapter.CreateVideoPort(*desc, &made);
  if (hr != DD_OK) return hr;
  auto* object = new (std::nothrow) VideoPortObject(std::move(made), *desc, caps);
  if (!object) return DDERR_OUTOFMEMORY;
  *port = object;
  return DD_OK;
}

std::size_t LiveDirectDrawVideoPorts() { return g_livePorts.load(); }

}  // namespace platform
