// The camera behind a camera-control library: one per library, on serial ports
// COM1 to COM4, with its mode, menu, focus, zoom and stepped levels, the library's
// control window and a log of the calls the library received. Tests reach it
// through the library's accessor (Orbctl32Camera, Kessra32Camera) and may read it
// from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/user.h"

namespace camera_sim {

constexpr std::int32_t kFirstPort = 1;
constexpr std::int32_t kLastPort = 4;
constexpr std::int32_t kMinPosition = 0;
constexpr std::int32_t kMaxPosition = 100;
constexpr std::int32_t kStartPosition = 50;

constexpr bool IsValidPort(std::int32_t port) { return port >= kFirstPort && port <= kLastPort; }

enum class CameraMode { Live, Flash };

// What a movement or step key started; None once StopAction ended it.
enum class CameraAction {
  None,
  FocusNear,
  FocusFar,
  ZoomIn,
  ZoomOut,
  BrightnessUp,
  BrightnessDown,
  RedUp,
  RedDown,
  BlueUp,
  BlueDown,
  ShutterUp,
  ShutterDown,
  IrisUp,
  IrisDown,
  AGCUp,
  AGCDown,
};

struct CameraState {
  std::int32_t port = 0;  // the open port, 0 while closed
  CameraMode mode = CameraMode::Live;
  bool menu_showing = false;
  bool manual_focus = false;
  std::int32_t focus = kStartPosition;
  std::int32_t zoom = kStartPosition;
  std::int32_t brightness = kStartPosition;
  std::int32_t red = kStartPosition;
  std::int32_t blue = kStartPosition;
  std::int32_t shutter = kStartPosition;
  std::int32_t iris = kStartPosition;
  std::int32_t agc = kStartPosition;
  CameraAction action = CameraAction::None;
  std::int32_t want_control_dialog = 0;
  HWND control_window = nullptr;
  bool operator==(const CameraState&) const = default;
};

// One call of the library's operations, with its arguments in order.
struct CameraCall {
  std::string name;
  std::vector<std::int32_t> args;
  bool operator==(const CameraCall&) const = default;
};

class SimulatedCamera {
 public:
  SimulatedCamera(std::string name, std::int32_t defaultCapabilities);
  ~SimulatedCamera();
  SimulatedCamera(const SimulatedCamera&) = delete;
  SimulatedCamera& operator=(const SimulatedCamera&) = delete;

  // For tests. Inline, because the class's code is not exported: a test in another
  // module runs these on the library's camera with its own copy.
  CameraState State() const {
    std::lock_guard lock(mutex_);
    return state_;
  }
  std::vector<CameraCall> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  void ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
  }
  // An absent or busy port refuses OpenCamera.
  void SetPortAvailable(std::int32_t port, bool available) {
    std::lock_guard lock(mutex_);
    if (IsValidPort(port)) available_[port] = available;
  }
  // The camera was opened before the library's caller got to it: it is open on that port.
  void OpenByOtherProgram(std::int32_t port) {
    std::lock_guard lock(mutex_);
    if (IsValidPort(port)) state_.port = port;
  }
  void SetCapabilities(std::int32_t bits) {
    std::lock_guard lock(mutex_);
    capabilities_ = bits;
  }
  // Defaults throughout; destroys the control window, so call it on the thread that opened it.
  void Reset() {
    HWND window;
    {
      std::lock_guard lock(mutex_);
      window = std::exchange(state_, CameraState{}).control_window;
      capabilities_ = default_capabilities_;
      available_.fill(true);
      calls_.clear();
    }
    // Outside the lock: the window's procedure reports back on WM_DESTROY.
    if (window) DestroyWindow(window);
  }

  // The operations, for the library's exports. Those that need the camera answer
  // non-zero while the port is closed.
  void Log(CameraCall call);
  const std::string& Name() const { return name_; }
  std::int32_t Open(std::int32_t port);
  std::int32_t Close();
  std::int32_t Port() const;
  std::int32_t Capabilities() const;  // the port open or not
  std::int32_t SetMode(CameraMode mode);
  std::int32_t ShowMenu(bool show);
  std::int32_t MenuShowing() const;  // 0 while closed
  std::int32_t SetManualFocus(bool manual);
  std::int32_t StartAction(CameraAction action);
  std::int32_t StopAction();
  std::int32_t SetWantControlDialog(std::int32_t want);
  std::int32_t WantControlDialog() const;
  std::int32_t OpenControlDialog();
  std::int32_t CloseControlDialog();

  // For the control window: what it shows, and that it is gone.
  std::string ControlText() const;
  void ControlWindowDestroyed(HWND hwnd);

 private:
  bool HasLocked(std::int32_t capability) const { return (capabilities_ & capability) != 0; }

  const std::string name_;
  const std::int32_t default_capabilities_;
  mutable std::mutex mutex_;
  CameraState state_;
  std::int32_t capabilities_;
  std::array<bool, kLastPort + 1> available_{};  // by port number
  std::vector<CameraCall> calls_;
};

}  // namespace camera_sim
