// The Kessra camera. It reports every capability, its menu included; the data
// sources for it keep their "Menu:" check box disabled all the same.
#include "outside/camera_control/camera_library.h"
#include "outside/kessra32/kessra32.h"

namespace {

constexpr std::int32_t kKessraCapabilities = CAMERA_CAP_ZOOM | CAMERA_CAP_FOCUS | CAMERA_CAP_RED_BLUE |
                                             CAMERA_CAP_MENU | CAMERA_CAP_SHUTTER_IRIS | CAMERA_CAP_AGC |
                                             CAMERA_CAP_BRIGHTNESS;
static_assert(kKessraCapabilities == 0xBF);

}  // namespace

camera_sim::SimulatedCamera& Kessra32Camera() {
  // Goes with the library, taking its control window and window class along.
  static camera_sim::SimulatedCamera camera("Kessra", kKessraCapabilities);
  return camera;
}

namespace camera_sim {
SimulatedCamera& LibraryCamera() { return Kessra32Camera(); }
}  // namespace camera_sim
