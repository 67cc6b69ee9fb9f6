// The monitors as the platform sees them now (internal): for the metrics, the
// monitor calls and display device contexts.
#pragma once

#include <vector>

#include "platform/display_adapter.h"

namespace platform {

struct Monitor {
  std::shared_ptr<DisplayAdapter> adapter;
  RECT rect{};  // virtual-screen coordinates
  std::string device;
};

// The primary first; empty without a virtual PC.
std::vector<Monitor> Monitors();

}  // namespace platform
