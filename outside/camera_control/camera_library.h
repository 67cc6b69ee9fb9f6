// What the parts of one camera library share, inside that library only.
#pragma once

#include "outside/camera_control/simulated_camera.h"

namespace camera_sim {

// The library's one camera, defined by the library's own file.
SimulatedCamera& LibraryCamera();

// A new control window for the camera (caption "<name> Control"), shown and not
// activated; null when it cannot be made.
HWND CreateControlWindow(SimulatedCamera& camera);
void RemoveControlWindowClass(const SimulatedCamera& camera);

}  // namespace camera_sim
