// The board, DirectDraw and the overlay surface the board's DMA fills.
#include "mci_preview/preview_state.h"
#include "platform/message_box.h"

namespace mci_preview {
namespace {

constexpr std::uint16_t kSdkVersion = 0x102;
constexpr std::uint32_t kScreenMode8Bit = 0;
constexpr std::uint32_t kScreenModeFirstOverlay = 2;
constexpr std::uint32_t kScreenModeLastOverlay = 5;
constexpr COLORREF kDestinationKey = RGB(255, 0, 255);
constexpr std::int32_t kCallbackSlot = 0;

BOOL Refuse(const char* text) {
  MessageBoxA(nullptr, text, nullptr, MB_ICONERROR);
  return FALSE;
}

std::uintptr_t CallbackOwner() { return reinterpret_cast<std::uintptr_t>(&PreviewInterruptCallback); }

}  // namespace

PreviewState g_preview;

void ResetPreviewState(HINSTANCE instance) {
  PreviewState& s = g_preview;
  s.instance = instance;
  s.image_width = kImageWidth;
  s.image_height = kImageHeight;
  s.window = RECT{0, 0, kImageWidth - 1, kImageHeight - 1};
  s.source = s.window;
  s.overlay_dest = s.overlay_source = RECT{};
  s.screen_width = s.screen_height = 0;
  s.screen_mode = 0;
  s.caption_height = 0;
  s.board_open = false;
  s.overlay = 0;
  s.overlay_memory = nullptr;
  s.overlay_pitch = 0;
  s.stretch_min = s.stretch_max = 0;
  s.grab = GrabWindowDesc{};
  s.grabbing = false;
  s.strobe_armed.store(false);
  s.shot.store(StrobeShot::kIdle);
  s.delay_count.store(0);
  s.width_count.store(0);
  s.delay_counter.store(0);
  s.width_counter.store(0);
  s.received = s.applied = PreviewSettings{};
  s.force_apply = true;
}

BOOL OpenPreviewBoard() {
  PreviewState& s = g_preview;
  if (RG7Open(kSdkVersion) < 0) return Refuse("Cannot initialize the board");
  if (ZPDDraw_Open(nullptr, 0) != ZPDDRAW_OK) return Refuse("No DirectDraw!");
  std::uint64_t size = ZPDDraw_GetScreenSize();
  s.screen_width = static_cast<DWORD>(size & 0xFFFFFFFFu);
  s.screen_height = static_cast<DWORD>(size >> 32);
  s.screen_mode = ZPDDraw_GetScreenMode();
  if (s.screen_mode == kScreenMode8Bit)
    MessageBoxA(nullptr, "This program does not support 256 color or lower!", nullptr, MB_ICONERROR);
  else if (s.screen_mode < kScreenModeFirstOverlay || s.screen_mode > kScreenModeLastOverlay)
    return Refuse("This program does not support the current screen mode!");
  if (ZPDDraw_IsOverlaySupported() == 0) {
    Refuse("No overlay surface.");
    RG7Close();
    return FALSE;
  }
  DDrawSurfaceHandle overlay = 0;
  if (ZPDDraw_CreateOverlayYUV(1, kImageWidth, kImageHeight, 0, &overlay) != ZPDDRAW_OK)
    return Refuse("Can't open overlay surface!");
  s.overlay = overlay;
  ZPDDraw_GetOverlayStretchRange(&s.stretch_min, &s.stretch_max);
  std::uint32_t pitch = 0;
  s.overlay_memory = static_cast<BYTE*>(ZPDDraw_GetSurfaceMemoryPtr(overlay, &pitch));
  s.overlay_pitch = s.overlay_memory ? pitch : 0;
  ZPDDraw_SetDestColorKey(kDestinationKey);
  RG7ConnectInterruptToCallback(kCallbackSlot, PreviewInterruptCallback, kStrobeEventMask, 0);
  RG7SetStrobe(kStrobeIdle);
  RG7IRQEnable(kStrobeEventMask, CallbackOwner());
  s.board_open = true;
  return TRUE;
}

void ClosePreviewBoard() {
  PreviewState& s = g_preview;
  // WM_CLOSE and WM_DESTROY both close; only the first finds anything open.
  if (!s.board_open) return;
  s.board_open = false;
  RG7IRQDisable(kStrobeEventMask, CallbackOwner());
  // The DMA writes into the surface until the grab stops: stop it before the
  // surface goes, whatever a strobe shot on the interrupt thread is doing.
  RG7StopGrab(nullptr, 0);
  s.grabbing = false;
  s.shot.store(StrobeShot::kIdle);
  ZPDDraw_DestroyOverlayYUV(s.overlay);
  s.overlay_memory = nullptr;
  s.overlay_pitch = 0;
  ZPDDraw_Close();
  RG7Close();
}

}  // namespace mci_preview
