// The 700-series capture engine: joins the DirectDraw overlay layer, the board's
// SDK and the camera link. The board's DMA writes every frame, as YUV 4:2:2,
// straight into an overlay surface that the display shows over the live video
// window; a freeze stops the grab so that the surface keeps the last frame, which
// the transfers read. With the strobe armed, a freeze waits for a strobe sequence
// that the interrupt callback counts in DMA-done events.
#pragma once

#include <atomic>
#include <cstdint>

#include "ddraw_overlay/zpddraw.h"
#include "platform/win_types.h"
#include "platform/window_handle.h"
#include "rg7sdk/rg7sdk.h"
#include "twain_ds/format_settings.h"
#include "twain_ds/source_settings.h"

namespace twain_ds {

class CCaptureEngine {
 public:
  // Takes the colour key from the format settings and opens the overlay at their
  // frame size.
  CCaptureEngine(CFormatSettings& format, CSourceSettings& source);
  CCaptureEngine(const CCaptureEngine&) = delete;
  CCaptureEngine& operator=(const CCaptureEngine&) = delete;

  void SetOwnerWindow(HWND window);

  // 0, also when the display layer cannot be opened (no surface then); -1 for an
  // 8-bit desktop, -2 for a desktop mode without an overlay format, -3 without
  // overlay hardware, -4 when the surface cannot be made. The negative results
  // connect neither the interrupt nor the camera.
  int OpenOverlay(int width, int height);
  int CloseOverlay();
  // Closes the overlay and opens it again at the frame size.
  void Reopen();

  void SetGrabWindow();
  void SetScale(float horizontal, float vertical);

  // Points the DMA at the surface, arms the strobe as the source settings say and
  // starts the grab. Without a surface nothing happens.
  void LiveVideo();
  void Freeze();
  void StopLive();
  void FreezeOrLive(bool freeze);

  void StartGrab();
  void StopGrab();
  // A freeze: at once, or at the end of the strobe sequence while the strobe is armed.
  void RequestStopGrab();

  void ArmStrobe(int delay, int width);
  void DisarmStrobe();

  void SetColorKey(BYTE red, BYTE green, BYTE blue);
  // Places the overlay's image window over the owner window.
  void MapSurfaceRect();

  // Copies height rows of 2 x width bytes from the surface; -1 (nothing copied)
  // without a surface or for a rectangle outside it.
  int ReadSurfaceRect(int x, int y, int width, int height, BYTE* destination) const;
  // Whether the rectangle lies inside the surface (false without one).
  bool InSurface(int x, int y, int width, int height) const;
  // Until a freeze that waits for its strobe sequence has stopped the grab; false
  // when it has not within the time.
  bool WaitUntilStopped(DWORD timeoutMs) const;
  // The image window of the format settings; each output may be null.
  int GetImageSize(int* offsetX, int* offsetY, int* width, int* height) const;
  // The SDK's BMP write of the surface rectangle; -1 without a surface or for a
  // rectangle outside it.
  int SaveBmpFile(const char* name, int x, int y, int width, int height) const;

  // 0, or 1 when the camera's port cannot be opened (the user is told).
  int OpenCameraControl();
  int CloseCameraControl();

  // On the SDK's interrupt thread.
  static std::uint32_t StrobeCallback(std::uint32_t status, std::uintptr_t context);

  // For the transfers and tests.
  bool has_surface() const { return surface_memory_ != nullptr; }
  const BYTE* surface_memory() const { return surface_memory_; }
  std::uint32_t surface_pitch() const { return surface_pitch_; }
  DDrawSurfaceHandle surface() const { return surface_; }
  bool grabbing() const { return grabbing_.load(); }
  bool frozen() const { return frozen_.load(); }
  bool strobe_armed() const { return strobe_armed_.load(); }
  bool strobe_running() const { return strobe_running_.load(); }

  // Event bits the engine's callback takes: the two field starts and the two
  // field buffers' DMA completions.
  static constexpr std::uint32_t kFieldStartBits = RG7_IRQ_ODD_FIELD | RG7_IRQ_EVEN_FIELD;
  static constexpr std::uint32_t kDmaDoneBits = RG7_IRQ_DMA_DONE_0 | RG7_IRQ_DMA_DONE_1;
  static constexpr std::uint32_t kEventMask = kFieldStartBits | kDmaDoneBits;
  // The grab's pixel mode: YUV 4:2:2, two bytes a pixel.
  static constexpr std::uint32_t kYuv422Mode = 6;
  static constexpr int kBytesPerPixel = 2;

 private:
  int FrameWidth() const;
  int FrameHeight() const;
  // Camera to flash mode under the hourglass, or back to live.
  void CoupleCamera(bool freeze);
  bool CameraActive() const;
  // Forgets the surface and every grab and strobe flag.
  void ResetCaptureState();

  CFormatSettings& format_;
  CSourceSettings& source_;

  HWND owner_ = nullptr;
  // The BMP write's pixel code: the surface's own YUV layout.
  std::uint32_t pixel_format_ = kYuv422Mode;
  // What the display offered at the last open; kept for the record.
  DWORD screen_width_ = 0;
  DWORD screen_height_ = 0;
  std::uint32_t screen_mode_ = 0;
  double stretch_min_ = 0;
  double stretch_max_ = 0;
  DDrawSurfaceHandle surface_ = 0;
  std::uint32_t surface_pitch_ = 0;
  BYTE* surface_memory_ = nullptr;
  COLORREF color_key_ = 0;
  RECT source_rect_{};
  RECT window_rect_{};
  GrabWindowDesc grab_{};
  // Size the surface was made with: the bounds of every read.
  int surface_width_ = 0;
  int surface_height_ = 0;
  // The surface and the display layer were made by this engine.
  bool surface_created_ = false;
  bool layer_open_ = false;
  // The strobe callback is connected.
  bool connected_ = false;

  // Shared with the interrupt thread.
  std::atomic<bool> strobe_armed_{false};
  std::atomic<bool> stop_requested_{false};
  std::atomic<bool> strobe_running_{false};
  std::atomic<int> strobe_delay_{0};
  std::atomic<int> delay_countdown_{0};
  std::atomic<int> strobe_width_{0};
  std::atomic<int> width_countdown_{0};
  std::atomic<bool> frozen_{false};
  std::atomic<bool> grabbing_{false};
};

// The one engine while the source is open; null while it is closed.
extern CCaptureEngine* g_captureEngine;

}  // namespace twain_ds
