#include "twain_ds/backend_kt6/kt6_camera_control.h"

#include "platform/message_box.h"
#include "twain_ds/camera_library.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {
namespace {

constexpr char kPortText[] = "Currently selected camera control communications port not available.";
constexpr char kErrorCaption[] = "Error";

}  // namespace

bool CameraControlsActive() { return CurrentBuild().has_camera_control() && SourceSettings().camera_active; }

int OpenCameraControl() {
  if (!CameraControlsActive()) return 0;
  CSourceSettings& source = SourceSettings();
  if (IsCameraOpen()) {
    // Another program opened it: the port is that one's; the source still closes it at close.
    source.port_fixed = true;
  } else {
    if (OpenCamera(source.camera_port) != 0) {
      MessageBoxA(nullptr, kPortText, kErrorCaption, MB_OK);
      return 1;
    }
    source.port_fixed = false;
  }
  LiveMode();
  return 0;
}

int CloseCameraControl() {
  LiveMode();
  CloseCamera();
  return 1;
}

}  // namespace twain_ds
