// The Kessra camera's control library: the camera operations of
// outside/camera_control/camera_control.h and, for tests, the camera behind them.
#pragma once

#include "outside/camera_control/camera_control.h"
#include "outside/camera_control/simulated_camera.h"

CAMERA_CONTROL_API camera_sim::SimulatedCamera& Kessra32Camera();
