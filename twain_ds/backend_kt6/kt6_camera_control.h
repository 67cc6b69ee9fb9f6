// The camera-control link of the 650-series sources with camera control.
#pragma once

namespace twain_ds {

// The build has camera control and the user has it active.
bool CameraControlsActive();
// After the settings are loaded at open: the port opened (or found open) and the
// camera live. 1 when the port is not available (the user has been told), else 0.
int OpenCameraControl();
// After the board is closed: the camera live and its port closed. Returns 1.
int CloseCameraControl();

}  // namespace twain_ds
