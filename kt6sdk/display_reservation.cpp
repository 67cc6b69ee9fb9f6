#include "kt6sdk/display_reservation.h"

#include <string>

#include "ddraw_overlay/zpddraw_internal.h"
#include "kt6sdk/library_state.h"
#include "platform/ddraw.h"
#include "platform/message_box.h"
#include "platform/module_loader.h"

namespace kt6 {
namespace {

using DirectDrawCreateFn = HRESULT (*)(GUID* driver, IDirectDraw** directDraw, IUnknown* outer);

constexpr char kCaption[] = "Warnning";
constexpr char kNotFound[] = "file is not found in the Windows system directory.";
constexpr char kCorrupted[] = "file is corrupted or in wrong version.";

HMODULE g_ddraw = nullptr;
IDirectDraw* g_directDraw = nullptr;
bool g_overlayLayer = false;

void Warn(const char* reason) {
  std::string text =
      "The KT-6XX SDK is trying to use Direct Draw\nto reserve VRAM, however, the DDRAW.DLL\n" + std::string(reason) +
      "\nWhen the Windows is running at the low color\nresolution modes, you can add following lines in\nthe "
      "KT-600.INI file to go around this problem:\n   [Other]\n   DisableDeviceBitmap=0\nWhen the Windows is running "
      "at high color\nresolution modes, you may have memory conflict,\nin this case, you can download DDRAW.DLL "
      "file\nfrom Zephlor Wab site.";
  MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
}

void CreateDirectDraw() {
  g_ddraw = LoadLibraryA("DDRAW.DLL");
  if (!g_ddraw) return Warn(kNotFound);
  auto create = reinterpret_cast<DirectDrawCreateFn>(GetProcAddress(g_ddraw, "DirectDrawCreate"));
  IDirectDraw* directDraw = nullptr;
  if (!create || create(nullptr, &directDraw, nullptr) != DD_OK || !directDraw) {
    FreeLibrary(g_ddraw);
    g_ddraw = nullptr;
    return Warn(kCorrupted);
  }
  g_directDraw = directDraw;
}

void OpenOverlayLayer() {
  ZPDDraw_Open(nullptr, 0);
  // The library's copy of the layer answers 0 whatever happened: ask it.
  if (ZPDDraw_IsOpen()) {
    g_overlayLayer = true;
    return;
  }
  ZPDDraw_Close();
  Warn(kNotFound);
}

}  // namespace

void ReserveDisplayMemory() {
  if (DisplayMemoryReserved()) return;
  if (g_state.board_type <= 2)
    CreateDirectDraw();
  else
    OpenOverlayLayer();
}

void ReleaseDisplayMemory() {
  if (g_directDraw) {
    g_directDraw->Release();
    g_directDraw = nullptr;
  }
  if (g_ddraw) {
    FreeLibrary(g_ddraw);
    g_ddraw = nullptr;
  }
  if (g_overlayLayer) {
    ZPDDraw_Close();
    g_overlayLayer = false;
  }
}

bool DisplayMemoryReserved() { return g_directDraw != nullptr || g_overlayLayer; }

}  // namespace kt6
