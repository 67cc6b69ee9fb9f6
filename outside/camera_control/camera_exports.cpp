// The camera-control operations over the library's camera. Each call is logged
// with its arguments before it acts.
#include <utility>
#include <vector>

#include "outside/camera_control/camera_control.h"
#include "outside/camera_control/camera_library.h"

namespace {

using camera_sim::CameraAction;
using camera_sim::CameraMode;
using camera_sim::SimulatedCamera;

SimulatedCamera& Logged(const char* name, std::vector<std::int32_t> args = {}) {
  SimulatedCamera& camera = camera_sim::LibraryCamera();
  camera.Log({name, std::move(args)});
  return camera;
}

std::int32_t Act(const char* name, CameraAction action, std::int32_t unused1, std::int32_t unused2) {
  return Logged(name, {unused1, unused2}).StartAction(action);
}

}  // namespace

extern "C" {

std::int32_t IsCameraOpen() { return Logged("IsCameraOpen").Port() != 0 ? 1 : 0; }
std::int32_t OpenCamera(std::int32_t port) { return Logged("OpenCamera", {port}).Open(port); }
std::int32_t CloseCamera() { return Logged("CloseCamera").Close(); }
std::int32_t GetCameraPort() { return Logged("GetCameraPort").Port(); }
std::int32_t GetCameraCabilities() { return Logged("GetCameraCabilities").Capabilities(); }

std::int32_t LiveMode() { return Logged("LiveMode").SetMode(CameraMode::Live); }
std::int32_t FlashMode(std::int32_t unused) { return Logged("FlashMode", {unused}).SetMode(CameraMode::Flash); }

std::int32_t MenuOn() { return Logged("MenuOn").ShowMenu(true); }
std::int32_t MenuOff() { return Logged("MenuOff").ShowMenu(false); }
std::int32_t IsMenuShowing() { return Logged("IsMenuShowing").MenuShowing(); }

std::int32_t FocusAuto() { return Logged("FocusAuto").SetManualFocus(false); }
std::int32_t FocusManual() { return Logged("FocusManual").SetManualFocus(true); }

std::int32_t FocusNear(std::int32_t unused1, std::int32_t unused2) {
  return Act("FocusNear", CameraAction::FocusNear, unused1, unused2);
}
std::int32_t FocusFar(std::int32_t unused1, std::int32_t unused2) {
  return Act("FocusFar", CameraAction::FocusFar, unused1, unused2);
}
std::int32_t ZoomIn(std::int32_t unused1, std::int32_t unused2) {
  return Act("ZoomIn", CameraAction::ZoomIn, unused1, unused2);
}
std::int32_t ZoomOut(std::int32_t unused1, std::int32_t unused2) {
  return Act("ZoomOut", CameraAction::ZoomOut, unused1, unused2);
}
std::int32_t BrightnessUp(std::int32_t unused1, std::int32_t unused2) {
  return Act("BrightnessUp", CameraAction::BrightnessUp, unused1, unused2);
}
std::int32_t BrightnessDown(std::int32_t unused1, std::int32_t unused2) {
  return Act("BrightnessDown", CameraAction::BrightnessDown, unused1, unused2);
}
std::int32_t RedUp(std::int32_t unused1, std::int32_t unused2) {
  return Act("RedUp", CameraAction::RedUp, unused1, unused2);
}
std::int32_t RedDown(std::int32_t unused1, std::int32_t unused2) {
  return Act("RedDown", CameraAction::RedDown, unused1, unused2);
}
std::int32_t BlueUp(std::int32_t unused1, std::int32_t unused2) {
  return Act("BlueUp", CameraAction::BlueUp, unused1, unused2);
}
std::int32_t BlueDown(std::int32_t unused1, std::int32_t unused2) {
  return Act("BlueDown", CameraAction::BlueDown, unused1, unused2);
}
std::int32_t ShutterUp(std::int32_t unused1, std::int32_t unused2) {
  return Act("ShutterUp", CameraAction::ShutterUp, unused1, unused2);
}
std::int32_t ShutterDown(std::int32_t unused1, std::int32_t unused2) {
  return Act("ShutterDown", CameraAction::ShutterDown, unused1, unused2);
}
std::int32_t IrisUp(std::int32_t unused1, std::int32_t unused2) {
  return Act("IrisUp", CameraAction::IrisUp, unused1, unused2);
}
std::int32_t IrisDown(std::int32_t unused1, std::int32_t unused2) {
  return Act("IrisDown", CameraAction::IrisDown, unused1, unused2);
}
std::int32_t AGCUp(std::int32_t unused1, std::int32_t unused2) {
  return Act("AGCUp", CameraAction::AGCUp, unused1, unused2);
}
std::int32_t AGCDown(std::int32_t unused1, std::int32_t unused2) {
  return Act("AGCDown", CameraAction::AGCDown, unused1, unused2);
}
std::int32_t StopAction() { return Logged("StopAction").StopAction(); }

std::int32_t setWantControlDialogFlag(std::int32_t want) {
  return Logged("setWantControlDialogFlag", {want}).SetWantControlDialog(want);
}
std::int32_t getWantControlDialogFlag() { return Logged("getWantControlDialogFlag").WantControlDialog(); }
std::int32_t openControlDialog() { return Logged("openControlDialog").OpenControlDialog(); }
std::int32_t closeControlDialog() { return Logged("closeControlDialog").CloseControlDialog(); }

}  // extern "C"
