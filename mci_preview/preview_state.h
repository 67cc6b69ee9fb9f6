// The preview program's state: one instance, module-wide. The window thread owns
// it; what the library's interrupt thread also touches is atomic.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "ddraw_overlay/zpddraw.h"
#include "mci_preview/preview_settings.h"
#include "platform/user.h"
#include "rg7sdk/rg7sdk.h"

namespace mci_preview {

constexpr std::int16_t kImageWidth = 640;
constexpr std::int16_t kImageHeight = 480;
constexpr std::uint32_t kYuv422Mode = 6;
constexpr std::uint32_t kBytesPerPixel = 2;

// The interrupts of the strobe shot.
constexpr std::uint32_t kFieldStartBits = RG7_IRQ_ODD_FIELD | RG7_IRQ_EVEN_FIELD;
constexpr std::uint32_t kDmaDoneBits = RG7_IRQ_DMA_DONE_0 | RG7_IRQ_DMA_DONE_1;
constexpr std::uint32_t kStrobeEventMask = kFieldStartBits | kDmaDoneBits;
// The strobe output's levels: idle high, active low.
constexpr std::uint32_t kStrobeIdle = 1;
constexpr std::uint32_t kStrobeActive = 0;

// The strobe shot that ends a grab: asked for by PVM_STOP_GRAB, started at the
// next field, stopped after its counts of DMA completions.
enum class StrobeShot : int {
  kIdle,
  kStopPending,  // waiting for the next field start
  kCounting,     // the strobe sequence runs; the grab still runs
  kStopping,     // the interrupt thread is stopping the grab
};

struct PreviewState {
  HINSTANCE instance = nullptr;
  std::int16_t image_width = kImageWidth;
  std::int16_t image_height = kImageHeight;
  // Where the picture sits on the screen, and the part of the image it shows.
  RECT window{0, 0, kImageWidth - 1, kImageHeight - 1};
  RECT source{0, 0, kImageWidth - 1, kImageHeight - 1};
  RECT overlay_dest{};
  RECT overlay_source{};
  DWORD screen_width = 0;
  DWORD screen_height = 0;
  std::uint32_t screen_mode = 0;
  int caption_height = 0;

  bool board_open = false;  // OpenPreviewBoard succeeded and no close ran since
  DDrawSurfaceHandle overlay = 0;
  BYTE* overlay_memory = nullptr;
  std::uint32_t overlay_pitch = 0;  // bytes
  double stretch_min = 0;
  double stretch_max = 0;
  GrabWindowDesc grab{};

  bool grabbing = false;
  std::atomic<bool> strobe_armed{false};
  std::atomic<StrobeShot> shot{StrobeShot::kIdle};
  // Held across a change of the shot together with the strobe level it sets, so
  // that the two threads' levels cannot land in the wrong order.
  std::mutex shot_mutex;
  // The counts as received, and the counters of the running sequence.
  std::atomic<std::int32_t> delay_count{0};
  std::atomic<std::int32_t> width_count{0};
  std::atomic<std::int32_t> delay_counter{0};
  std::atomic<std::int32_t> width_counter{0};

  PreviewSettings received{};
  PreviewSettings applied{};
  bool force_apply = true;
};

extern PreviewState g_preview;

// Back to the state of a program that has just started.
void ResetPreviewState(HINSTANCE instance);

// The program's operations, in the order the driver uses them.
BOOL OpenPreviewBoard();
void ClosePreviewBoard();
void ApplyPreviewSettings();
void StartPreview();
void UpdateOverlayRect();
void StartGrab();
void StopGrab();
void ArmStrobe(std::int32_t delayCount, std::int32_t widthCount);
void DisarmStrobe();
void SaveSnapshotFromAtom(ATOM atom);
std::uint32_t PreviewInterruptCallback(std::uint32_t status, std::uintptr_t context);

LRESULT PreviewWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace mci_preview
