// The flat video-port functions and the two callback registrations, which outlive
// the overlay object.
#include "ddraw_overlay/layer_instance.h"
#include "ddraw_overlay/zpddraw_internal.h"

using namespace zpddraw;

namespace {

struct VipRegistration {
  ZPVIPCallback callback;
  std::uint32_t first;
  std::uint32_t second;
};
VipRegistration g_vipInit{};
VipRegistration g_vipUninit{};

void Call(const VipRegistration& r) {
  if (r.callback) r.callback(r.first, r.second);
}

// The port capability bit of a capability number, 0 for an unknown number.
DWORD PortCapabilityBit(std::uint32_t capability) {
  switch (capability) {
    case 200:
      return DDVPCAPS_SKIPEVENFIELDS;
    case 201:
      return DDVPCAPS_SKIPODDFIELDS;
    case 202:
      return DDVPCAPS_AUTOFLIP;
    default:
      return 0;
  }
}

}  // namespace

std::int32_t ZPDDraw_RegisterVIPCallback(std::uint32_t kind, ZPVIPCallback callback, std::uint32_t first,
                                         std::uint32_t second) {
  if (kind == 0)
    g_vipInit = {callback, first, second};
  else if (kind == 1)
    g_vipUninit = {callback, first, second};
  else
    return E_ACCESSDENIED;
  return 0;
}

std::int32_t ZPDDraw_OpenVIP() {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->VideoPort_Open());
}

std::int32_t ZPDDraw_CloseVIP() {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->VideoPort_Close());
}

std::int32_t ZPDDraw_InitVIP(std::uint32_t, std::uint32_t width, std::uint32_t height) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  Call(g_vipInit);
  return MapResult(g_instance->VideoPort_Init(kFormatYUY2, width, height));
}

std::int32_t ZPDDraw_UninitVIP() {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  Call(g_vipUninit);
  return MapResult(g_instance->VideoPort_Uninit());
}

std::int32_t ZPDDraw_VIPStartVideo(std::uint32_t width, std::uint32_t height) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->VideoPort_Start(width, height));
}

std::int32_t ZPDDraw_VIPStopVideo() {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->VideoPort_Stop());
}

std::int32_t ZPDDraw_VIPShow(RECT* source, RECT* dest) {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->VideoPort_Show(source, dest));
}

std::int32_t ZPDDraw_VIPHide() {
  if (!g_instance) return MapResult(E_ACCESSDENIED);
  return MapResult(g_instance->VideoPort_Hide());
}

std::uint32_t ZPDDraw_InquireCaps(std::uint32_t capability, std::uint32_t) {
  if (!g_instance) return 0;
  DWORD bit = PortCapabilityBit(capability);
  return bit && (g_portCaps.dwCaps & bit) ? 1 : 0;
}

std::int32_t ZPDDraw_EnableCaps(std::uint32_t capability, std::uint32_t on, std::uint32_t) {
  if (!g_instance) return MapResult(CO_E_NOTINITIALIZED);
  DWORD bit = PortCapabilityBit(capability);
  if (!bit) return 0;
  if (!(g_portCaps.dwCaps & bit)) return MapResult(E_ACCESSDENIED);
  DWORD* field = capability == 200   ? &g_instance->skipEvenEnabled
                 : capability == 201 ? &g_instance->skipOddEnabled
                                     : &g_instance->autoFlipEnabled;
  *field = on;
  return 0;
}

std::int32_t ZPDDraw_VIPSetVideoStandard(std::uint32_t standard) {
  if (!g_instance) return MapResult(CO_E_NOTINITIALIZED);
  g_instance->VideoPort_SetStandard(standard ? 1 : 0);
  return 0;
}

std::int32_t ZPDDraw_VIPSetCropTop(std::uint32_t standard) { return ZPDDraw_VIPSetVideoStandard(standard); }
