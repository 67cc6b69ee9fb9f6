// Video-port capture into an overlay. The display adapters this layer runs on so
// far offer no video port: the container cannot be had, so the port is never
// created and every operation that needs it answers that there is none.
#include "ddraw_overlay/cddraw.h"
#include "ddraw_overlay/ddraw_diagnostics.h"
#include "ddraw_overlay/layer_instance.h"

namespace zpddraw {

DDVIDEOPORTCAPS g_portCaps{};

HRESULT CDDraw::VideoPort_Open() {
  if (!directDraw) return E_FAIL;
  HRESULT hr = directDraw->QueryInterface(IID_IDDVideoPortContainer, reinterpret_cast<void**>(&portContainer));
  if (hr != DD_OK) {
    portContainer = nullptr;
    return hr;
  }
  // A container whose ports this layer cannot enumerate is no use to it.
  portContainer->Release();
  portContainer = nullptr;
  return DDERR_UNSUPPORTED;
}

HRESULT CDDraw::VideoPort_Close() {
  if (portContainer) portContainer->Release();
  portContainer = nullptr;
  delete[] connections;
  connections = nullptr;
  connectionCount = 0;
  return DD_OK;
}

HRESULT CDDraw::VideoPort_Init(DWORD, DWORD, DWORD) { return portContainer ? DDERR_UNSUPPORTED : E_FAIL; }

HRESULT CDDraw::VideoPort_Uninit() {
  if (portSurface) portSurface->Release();
  portSurface = nullptr;
  inputFormat = DDPIXELFORMAT{};
  outputFormat = DDPIXELFORMAT{};
  if (videoPort) videoPort->Release();
  videoPort = nullptr;
  return DD_OK;
}

HRESULT CDDraw::VideoPort_Start(DWORD, DWORD) { return E_FAIL; }

HRESULT CDDraw::VideoPort_Stop() { return E_FAIL; }

HRESULT CDDraw::VideoPort_Show(RECT*, RECT*) { return E_FAIL; }

HRESULT CDDraw::VideoPort_Hide() {
  lastPortDestRect = RECT{};
  return DD_OK;
}

void CDDraw::VideoPort_SetStandard(DWORD standard) { cropTopLines = standard == 1 ? 15 : 11; }

}  // namespace zpddraw
