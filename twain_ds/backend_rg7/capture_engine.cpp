#include "twain_ds/backend_rg7/capture_engine.h"

#include <algorithm>
#include <cstring>

#include "outside/camera_control/camera_control.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/user.h"

namespace twain_ds {

CCaptureEngine* g_captureEngine = nullptr;

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

// Desktop pixel codes of the display layer that an overlay can serve.
constexpr std::uint32_t kScreenMode8Bit = 0;
constexpr std::uint32_t kScreenModeFirstOverlay = 2;
constexpr std::uint32_t kScreenModeLastOverlay = 5;
constexpr int kResultEightBit = -1;
constexpr int kResultNoOverlayMode = -2;
constexpr int kResultNoOverlay = -3;
constexpr int kResultNoSurface = -4;
constexpr int kRefused = -1;

constexpr std::int32_t kCallbackSlot = 0;
// Continuous grab from the odd field.
constexpr std::int32_t kContinuousGrab = 1;
constexpr std::int32_t kOddField = 1;
constexpr std::uint32_t kStrobeIdle = 1;
constexpr std::uint32_t kStrobeActive = 0;

constexpr char kCameraPortText[] = "Currently selected camera control communications port not available.";
constexpr char kErrorCaption[] = "Error";

std::uintptr_t CallbackOwner() { return reinterpret_cast<std::uintptr_t>(&CCaptureEngine::StrobeCallback); }

}  // namespace

CCaptureEngine::CCaptureEngine(CFormatSettings& format, CSourceSettings& source)
    : format_(format), source_(source), color_key_(format.color_key) {
  OpenOverlay(format_.frame_width, format_.frame_height);
}

void CCaptureEngine::SetOwnerWindow(HWND window) { owner_ = window; }

int CCaptureEngine::FrameWidth() const { return format_.frame_width; }
int CCaptureEngine::FrameHeight() const { return format_.frame_height; }

int CCaptureEngine::OpenOverlay(int width, int height) {
  // A second open would leave the DMA on a destroyed surface and the callback
  // connected twice.
  if (layer_open_ || connected_) CloseOverlay();
  if (width == 0 || height == 0) {
    width = FrameWidth();
    height = FrameHeight();
  }
  if (width == 0 || height == 0) {
    width = kDefaultWidth;
    height = kDefaultHeight;
  }
  if (ZPDDraw_Open(owner_, 0) == ZPDDRAW_OK) {
    layer_open_ = true;
    std::uint64_t size = ZPDDraw_GetScreenSize();
    screen_width_ = static_cast<DWORD>(size & 0xFFFFFFFFu);
    screen_height_ = static_cast<DWORD>(size >> 32);
    screen_mode_ = ZPDDraw_GetScreenMode();
    if (screen_mode_ == kScreenMode8Bit) return kResultEightBit;
    if (screen_mode_ < kScreenModeFirstOverlay || screen_mode_ > kScreenModeLastOverlay) return kResultNoOverlayMode;
    if (ZPDDraw_IsOverlaySupported() == 0) return kResultNoOverlay;
    DDrawSurfaceHandle surface = 0;
    if (ZPDDraw_CreateOverlayYUV(1, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 0,
                                 &surface) != ZPDDRAW_OK)
      return kResultNoSurface;
    surface_ = surface;
    surface_created_ = true;
    ZPDDraw_GetOverlayStretchRange(&stretch_min_, &stretch_max_);
    std::uint32_t pitch = 0;
    surface_memory_ = static_cast<BYTE*>(ZPDDraw_GetSurfaceMemoryPtr(surface_, &pitch));
    surface_pitch_ = surface_memory_ ? pitch : 0;
    surface_width_ = surface_memory_ ? width : 0;
    surface_height_ = surface_memory_ ? height : 0;
    ZPDDraw_SetDestColorKey(color_key_);
  }
  RG7ConnectInterruptToCallback(kCallbackSlot, StrobeCallback, kEventMask, reinterpret_cast<std::uintptr_t>(this));
  connected_ = true;
  RG7SetStrobe(kStrobeIdle);
  RG7IRQEnable(kEventMask, CallbackOwner());
  OpenCameraControl();
  return 0;
}

int CCaptureEngine::CloseOverlay() {
  StopGrab();
  RG7IRQDisable(kEventMask, CallbackOwner());
  RG7DisconnectInterruptCallback(kCallbackSlot, StrobeCallback);
  connected_ = false;
  CloseCameraControl();
  // Only a surface and a layer of our own: a failed open left none.
  if (surface_created_) ZPDDraw_DestroyOverlayYUV(surface_);
  if (layer_open_) ZPDDraw_Close();
  layer_open_ = false;
  ResetCaptureState();
  return 0;
}

void CCaptureEngine::ResetCaptureState() {
  // The callback is disconnected: nothing else touches these now.
  surface_ = 0;
  surface_created_ = false;
  surface_memory_ = nullptr;
  surface_pitch_ = 0;
  surface_width_ = 0;
  surface_height_ = 0;
  grabbing_.store(false);
  stop_requested_.store(false);
  strobe_running_.store(false);
}

void CCaptureEngine::Reopen() {
  CloseOverlay();
  OpenOverlay(FrameWidth(), FrameHeight());
}

void CCaptureEngine::SetGrabWindow() {
  RG7SetPixelMode(kYuv422Mode);
  RG7SetGrabWindow(0, 0, static_cast<std::uint32_t>(FrameWidth()), static_cast<std::uint32_t>(FrameHeight()), &grab_);
}

void CCaptureEngine::SetScale(float horizontal, float vertical) { RG7SetScaleFactor(horizontal, vertical); }

void CCaptureEngine::LiveVideo() {
  // No surface: the DMA would have no target.
  if (!has_surface()) return;
  // Lines lie a surface pitch apart, as the display and every read expect.
  RG7SetMasterModeTransfer(&grab_, surface_memory_, surface_pitch_ * static_cast<std::uint32_t>(surface_height_),
                           surface_pitch_ / kBytesPerPixel);
  if (source_.strobe_on)
    ArmStrobe(source_.strobe_delay, source_.strobe_width);
  else
    DisarmStrobe();
  FreezeOrLive(false);
  if (owner_) InvalidateRect(owner_, nullptr, TRUE);
}

void CCaptureEngine::Freeze() { FreezeOrLive(true); }

void CCaptureEngine::StopLive() { StopGrab(); }

bool CCaptureEngine::CameraActive() const { return source_.build().has_camera_control() && source_.camera_active; }

void CCaptureEngine::CoupleCamera(bool freeze) {
  if (!CameraActive()) return;
  if (!freeze) {
    LiveMode();
    return;
  }
  // The camera takes a while to switch; the user sees the hourglass meanwhile.
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  ShowCursor(TRUE);
  FlashMode(0);
  ShowCursor(FALSE);
  SetCursor(previous);
}

void CCaptureEngine::FreezeOrLive(bool freeze) {
  frozen_.store(freeze);
  CoupleCamera(freeze);
  if (freeze) {
    RequestStopGrab();
    return;
  }
  // Live again: a freeze still waiting for its strobe sequence is called off, and
  // a sequence under way gives the strobe back its idle level.
  stop_requested_.store(false);
  if (strobe_running_.exchange(false)) RG7SetStrobe(kStrobeIdle);
  StartGrab();
}

void CCaptureEngine::StartGrab() {
  // No grab without a surface for the DMA to fill.
  if (!has_surface()) return;
  if (grabbing_.exchange(true)) return;
  // A refused start (no signal) leaves nothing grabbing.
  if (RG7StartGrab(kContinuousGrab, kOddField) != RG7_OK) grabbing_.store(false);
}

void CCaptureEngine::StopGrab() {
  // Either thread may stop; only the one that clears the flag stops the board.
  if (grabbing_.exchange(false)) RG7StopGrab(nullptr, 0);
}

void CCaptureEngine::RequestStopGrab() {
  if (!grabbing_.load()) return;
  if (strobe_armed_.load())
    stop_requested_.store(true);
  else
    StopGrab();
}

void CCaptureEngine::ArmStrobe(int delay, int width) {
  // A negative count would never run out: the freeze would never come.
  strobe_delay_.store(std::max(0, delay));
  strobe_width_.store(std::max(0, width));
  strobe_armed_.store(true);
}

void CCaptureEngine::DisarmStrobe() { strobe_armed_.store(false); }

void CCaptureEngine::SetColorKey(BYTE red, BYTE green, BYTE blue) {
  color_key_ = static_cast<COLORREF>(red | green << 8 | blue << 16);
  ZPDDraw_SetDestColorKey(color_key_);
}

void CCaptureEngine::MapSurfaceRect() {
  source_rect_ = RECT{format_.offset_x, format_.offset_y, format_.offset_x + format_.window_width - 1,
                      format_.offset_y + format_.window_height - 1};
  if (!owner_ || !has_surface()) return;
  GetWindowRect(owner_, &window_rect_);
  ZPDDraw_MapSurfaceRect(surface_, &window_rect_, &source_rect_, 1);
}

bool CCaptureEngine::InSurface(int x, int y, int width, int height) const {
  return has_surface() && x >= 0 && y >= 0 && width >= 0 && height >= 0 && x <= surface_width_ - width &&
         y <= surface_height_ - height;
}

int CCaptureEngine::ReadSurfaceRect(int x, int y, int width, int height, BYTE* destination) const {
  if (!destination || !InSurface(x, y, width, height)) return kRefused;
  std::size_t rowBytes = static_cast<std::size_t>(width) * kBytesPerPixel;
  const BYTE* source =
      surface_memory_ + static_cast<std::size_t>(y) * surface_pitch_ + static_cast<std::size_t>(x) * kBytesPerPixel;
  for (int row = 0; row < height; ++row) {
    std::memcpy(destination, source, rowBytes);
    source += surface_pitch_;
    destination += rowBytes;
  }
  return 0;
}

bool CCaptureEngine::WaitUntilStopped(DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  while (grabbing_.load()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(1);
  }
  return true;
}

int CCaptureEngine::GetImageSize(int* offsetX, int* offsetY, int* width, int* height) const {
  if (offsetX) *offsetX = format_.offset_x;
  if (offsetY) *offsetY = format_.offset_y;
  if (width) *width = format_.window_width;
  if (height) *height = format_.window_height;
  return 0;
}

int CCaptureEngine::SaveBmpFile(const char* name, int x, int y, int width, int height) const {
  if (!InSurface(x, y, width, height)) return kRefused;
  return RG7Memory2BMPfile(name, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                           static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                           surface_pitch_ / kBytesPerPixel, pixel_format_, surface_memory_);
}

int CCaptureEngine::OpenCameraControl() {
  if (!CameraActive()) return 0;
  if (IsCameraOpen()) {
    source_.port_fixed = true;
  } else {
    if (OpenCamera(source_.camera_port) != 0) {
      MessageBoxA(nullptr, kCameraPortText, kErrorCaption, MB_OK);
      return 1;
    }
    source_.port_fixed = false;
  }
  LiveMode();
  return 0;
}

int CCaptureEngine::CloseCameraControl() {
  LiveMode();
  // A port that was open before the source opened it is another program's: closing
  // it would cut that program off, and the reopen of every preview start would then
  // take the settings' port instead.
  if (!source_.port_fixed) CloseCamera();
  return 1;
}

std::uint32_t CCaptureEngine::StrobeCallback(std::uint32_t status, std::uintptr_t context) {
  auto& engine = *reinterpret_cast<CCaptureEngine*>(context);
  if (status & kFieldStartBits && !engine.strobe_running_.load()) {
    bool requested = true;
    if (engine.stop_requested_.compare_exchange_strong(requested, false)) {
      RG7SetStrobe(kStrobeActive);
      engine.delay_countdown_.store(engine.strobe_delay_.load());
      engine.width_countdown_.store(engine.strobe_width_.load());
      engine.strobe_running_.store(true);
    }
  }
  if (!(status & kDmaDoneBits) || !engine.strobe_running_.load()) return 0;
  int width = engine.width_countdown_.load();
  if (width > 0) {
    engine.width_countdown_.store(width - 1);
    return 0;
  }
  if (width == 0) {
    RG7SetStrobe(kStrobeIdle);
    engine.width_countdown_.store(-1);
  }
  int delay = engine.delay_countdown_.load();
  if (delay != 0) {
    engine.delay_countdown_.store(delay - 1);
    return 0;
  }
  // The sequence is over; a live request that came meanwhile keeps the grab.
  if (engine.strobe_running_.exchange(false) && engine.frozen_.load()) engine.StopGrab();
  return 0;
}

}  // namespace twain_ds
