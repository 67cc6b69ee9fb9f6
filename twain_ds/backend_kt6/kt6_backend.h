// The 650-series side of the capture seam.
#pragma once

#include "twain_ds/capture_backend.h"

namespace twain_ds {

extern const CaptureBackend kKt6Backend;

}  // namespace twain_ds
