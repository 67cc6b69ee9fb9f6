// The Orbicam camera: it can do everything the operations offer.
#include "outside/camera_control/camera_library.h"
#include "outside/orbctl32/orbctl32.h"

namespace {

constexpr std::int32_t kOrbicamCapabilities = CAMERA_CAP_ZOOM | CAMERA_CAP_FOCUS | CAMERA_CAP_RED_BLUE |
                                              CAMERA_CAP_MENU | CAMERA_CAP_SHUTTER_IRIS | CAMERA_CAP_AGC |
                                              CAMERA_CAP_BRIGHTNESS;
static_assert(kOrbicamCapabilities == 0xBF);

}  // namespace

camera_sim::SimulatedCamera& Orbctl32Camera() {
  // Goes with the library, taking its control window and window class along.
  static camera_sim::SimulatedCamera camera("Orbicam", kOrbicamCapabilities);
  return camera;
}

namespace camera_sim {
SimulatedCamera& LibraryCamera() { return Orbctl32Camera(); }
}  // namespace camera_sim
