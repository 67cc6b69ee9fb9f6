// The camera-control libraries (orbctl32 for the Orbicam camera, kessra32 for
// the Kessra camera): one set of operations over a remote-controllable camera on
// a serial port. Both libraries export these same names; a caller links one of
// them. Every call is made on the caller's user-interface thread.
#pragma once

#include <cstdint>

#define CAMERA_CONTROL_API __attribute__((visibility("default")))

// Capability bits of GetCameraCabilities (low byte).
enum CameraCapabilityBits : std::int32_t {
  CAMERA_CAP_ZOOM = 0x01,
  CAMERA_CAP_FOCUS = 0x02,
  CAMERA_CAP_RED_BLUE = 0x04,
  CAMERA_CAP_MENU = 0x08,
  CAMERA_CAP_SHUTTER_IRIS = 0x10,
  CAMERA_CAP_AGC = 0x20,
  CAMERA_CAP_BRIGHTNESS = 0x80,
};

extern "C" {

// Non-zero while the camera's port is open (by this process, whoever opened it).
CAMERA_CONTROL_API std::int32_t IsCameraOpen();
// Port 1 to 4 (COM1 to COM4); 0 on success, non-zero when the port cannot be
// opened or no camera answers on it.
CAMERA_CONTROL_API std::int32_t OpenCamera(std::int32_t port);
CAMERA_CONTROL_API std::int32_t CloseCamera();
// The open port (1 to 4); 0 when closed.
CAMERA_CONTROL_API std::int32_t GetCameraPort();
CAMERA_CONTROL_API std::int32_t GetCameraCabilities();

// Camera to live video, or to flash mode for a strobed capture.
CAMERA_CONTROL_API std::int32_t LiveMode();
CAMERA_CONTROL_API std::int32_t FlashMode(std::int32_t unused);

// The camera's on-screen menu.
CAMERA_CONTROL_API std::int32_t MenuOn();
CAMERA_CONTROL_API std::int32_t MenuOff();
CAMERA_CONTROL_API std::int32_t IsMenuShowing();

CAMERA_CONTROL_API std::int32_t FocusAuto();
CAMERA_CONTROL_API std::int32_t FocusManual();

// Each starts a movement or a step that lasts until StopAction.
CAMERA_CONTROL_API std::int32_t FocusNear(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t FocusFar(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t ZoomIn(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t ZoomOut(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t BrightnessUp(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t BrightnessDown(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t RedUp(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t RedDown(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t BlueUp(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t BlueDown(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t ShutterUp(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t ShutterDown(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t IrisUp(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t IrisDown(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t AGCUp(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t AGCDown(std::int32_t unused1, std::int32_t unused2);
CAMERA_CONTROL_API std::int32_t StopAction();

// The library's own floating control window and the wish to have it.
CAMERA_CONTROL_API std::int32_t setWantControlDialogFlag(std::int32_t want);
CAMERA_CONTROL_API std::int32_t getWantControlDialogFlag();
CAMERA_CONTROL_API std::int32_t openControlDialog();
CAMERA_CONTROL_API std::int32_t closeControlDialog();

}  // extern "C"
