// A module that links one camera library, as a data source does, and calls it.
#include "outside/camera_control/camera_control.h"

extern "C" CAMERA_CONTROL_API std::int32_t ModuleOpenCamera(std::int32_t port) { return OpenCamera(port); }
extern "C" CAMERA_CONTROL_API std::int32_t ModuleCameraCapabilities() { return GetCameraCabilities(); }
