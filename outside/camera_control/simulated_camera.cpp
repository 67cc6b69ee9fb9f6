#include "outside/camera_control/simulated_camera.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "outside/camera_control/camera_control.h"
#include "outside/camera_control/camera_library.h"
#include "platform/user.h"

namespace camera_sim {
namespace {

constexpr std::int32_t kDone = 0;
constexpr std::int32_t kFailed = 1;

// What a step needs of the camera to take effect when its key is released: the
// focus moves only under manual focus, and the levels are set through the menu.
enum class Needs { Nothing, ManualFocus, Menu };

struct ActionRule {
  CameraAction action;
  std::int32_t CameraState::*position;
  std::int32_t step;
  std::int32_t capability;
  Needs needs;
};

// Near is towards 0, far towards 100.
constexpr ActionRule kActionRules[] = {
    {CameraAction::FocusNear, &CameraState::focus, -1, CAMERA_CAP_FOCUS, Needs::ManualFocus},
    {CameraAction::FocusFar, &CameraState::focus, 1, CAMERA_CAP_FOCUS, Needs::ManualFocus},
    {CameraAction::ZoomIn, &CameraState::zoom, 1, CAMERA_CAP_ZOOM, Needs::Nothing},
    {CameraAction::ZoomOut, &CameraState::zoom, -1, CAMERA_CAP_ZOOM, Needs::Nothing},
    {CameraAction::BrightnessUp, &CameraState::brightness, 1, CAMERA_CAP_BRIGHTNESS, Needs::Menu},
    {CameraAction::BrightnessDown, &CameraState::brightness, -1, CAMERA_CAP_BRIGHTNESS, Needs::Menu},
    {CameraAction::RedUp, &CameraState::red, 1, CAMERA_CAP_RED_BLUE, Needs::Menu},
    {CameraAction::RedDown, &CameraState::red, -1, CAMERA_CAP_RED_BLUE, Needs::Menu},
    {CameraAction::BlueUp, &CameraState::blue, 1, CAMERA_CAP_RED_BLUE, Needs::Menu},
    {CameraAction::BlueDown, &CameraState::blue, -1, CAMERA_CAP_RED_BLUE, Needs::Menu},
    {CameraAction::ShutterUp, &CameraState::shutter, 1, CAMERA_CAP_SHUTTER_IRIS, Needs::Menu},
    {CameraAction::ShutterDown, &CameraState::shutter, -1, CAMERA_CAP_SHUTTER_IRIS, Needs::Menu},
    {CameraAction::IrisUp, &CameraState::iris, 1, CAMERA_CAP_SHUTTER_IRIS, Needs::Menu},
    {CameraAction::IrisDown, &CameraState::iris, -1, CAMERA_CAP_SHUTTER_IRIS, Needs::Menu},
    {CameraAction::AGCUp, &CameraState::agc, 1, CAMERA_CAP_AGC, Needs::Menu},
    {CameraAction::AGCDown, &CameraState::agc, -1, CAMERA_CAP_AGC, Needs::Menu},
};

const ActionRule* RuleOf(CameraAction action) {
  auto it = std::find_if(std::begin(kActionRules), std::end(kActionRules),
                         [action](const ActionRule& rule) { return rule.action == action; });
  return it == std::end(kActionRules) ? nullptr : it;
}

}  // namespace

SimulatedCamera::SimulatedCamera(std::string name, std::int32_t defaultCapabilities)
    : name_(std::move(name)), default_capabilities_(defaultCapabilities), capabilities_(defaultCapabilities) {
  available_.fill(true);
}

SimulatedCamera::~SimulatedCamera() {
  // The window's procedure and class are the library's, and the library is going.
  HWND window;
  {
    std::lock_guard lock(mutex_);
    window = std::exchange(state_.control_window, nullptr);
  }
  if (window) DestroyWindow(window);
  RemoveControlWindowClass(*this);
}

void SimulatedCamera::Log(CameraCall call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(std::move(call));
}

std::int32_t SimulatedCamera::Open(std::int32_t port) {
  std::lock_guard lock(mutex_);
  if (!IsValidPort(port)) return kFailed;
  if (state_.port == port) return kDone;
  if (state_.port != 0 || !available_[port]) return kFailed;
  state_.port = port;
  return kDone;
}

std::int32_t SimulatedCamera::Close() {
  std::lock_guard lock(mutex_);
  if (!state_.port) return kFailed;
  state_.port = 0;
  state_.action = CameraAction::None;
  return kDone;
}

std::int32_t SimulatedCamera::Port() const {
  std::lock_guard lock(mutex_);
  return state_.port;
}

std::int32_t SimulatedCamera::Capabilities() const {
  std::lock_guard lock(mutex_);
  // The library knows its camera's model without asking it.
  return capabilities_;
}

std::int32_t SimulatedCamera::SetMode(CameraMode mode) {
  std::lock_guard lock(mutex_);
  if (!state_.port) return kFailed;
  state_.mode = mode;
  return kDone;
}

std::int32_t SimulatedCamera::ShowMenu(bool show) {
  std::lock_guard lock(mutex_);
  if (!state_.port) return kFailed;
  if (HasLocked(CAMERA_CAP_MENU)) state_.menu_showing = show;
  return kDone;
}

std::int32_t SimulatedCamera::MenuShowing() const {
  std::lock_guard lock(mutex_);
  return state_.port && state_.menu_showing ? 1 : 0;
}

std::int32_t SimulatedCamera::SetManualFocus(bool manual) {
  std::lock_guard lock(mutex_);
  if (!state_.port) return kFailed;
  if (HasLocked(CAMERA_CAP_FOCUS)) state_.manual_focus = manual;
  return kDone;
}

std::int32_t SimulatedCamera::StartAction(CameraAction action) {
  std::lock_guard lock(mutex_);
  if (!state_.port) return kFailed;
  const ActionRule* rule = RuleOf(action);
  if (rule && HasLocked(rule->capability)) state_.action = action;
  return kDone;
}

std::int32_t SimulatedCamera::StopAction() {
  HWND window;
  {
    std::lock_guard lock(mutex_);
    if (!state_.port) return kFailed;
    const ActionRule* rule = RuleOf(std::exchange(state_.action, CameraAction::None));
    if (!rule) return kDone;
    bool takesEffect = rule->needs == Needs::Nothing || (rule->needs == Needs::ManualFocus && state_.manual_focus) ||
                       (rule->needs == Needs::Menu && state_.menu_showing);
    if (!takesEffect) return kDone;
    std::int32_t& position = state_.*(rule->position);
    position = std::clamp(position + rule->step, kMinPosition, kMaxPosition);
    window = state_.control_window;
  }
  if (window) InvalidateRect(window, nullptr, TRUE);
  return kDone;
}

std::int32_t SimulatedCamera::SetWantControlDialog(std::int32_t want) {
  std::lock_guard lock(mutex_);
  state_.want_control_dialog = want;
  return kDone;
}

std::int32_t SimulatedCamera::WantControlDialog() const {
  std::lock_guard lock(mutex_);
  return state_.want_control_dialog;
}

std::int32_t SimulatedCamera::OpenControlDialog() {
  {
    std::lock_guard lock(mutex_);
    if (!state_.port) return kFailed;
    if (state_.control_window) return kDone;
  }
  // Outside the lock: the new window paints from the camera's state.
  HWND window = CreateControlWindow(*this);
  if (!window) return kFailed;
  std::lock_guard lock(mutex_);
  state_.control_window = window;
  return kDone;
}

std::int32_t SimulatedCamera::CloseControlDialog() {
  HWND window;
  {
    std::lock_guard lock(mutex_);
    if (!state_.port) return kFailed;
    window = std::exchange(state_.control_window, nullptr);
  }
  if (window) DestroyWindow(window);
  return kDone;
}

std::string SimulatedCamera::ControlText() const {
  std::lock_guard lock(mutex_);
  return "Zoom " + std::to_string(state_.zoom) + "  Focus " + std::to_string(state_.focus);
}

void SimulatedCamera::ControlWindowDestroyed(HWND hwnd) {
  std::lock_guard lock(mutex_);
  if (state_.control_window == hwnd) state_.control_window = nullptr;
}

}  // namespace camera_sim
