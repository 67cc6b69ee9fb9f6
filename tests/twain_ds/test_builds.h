// Build descriptors for the tests: the 700-series builds as they are, and a
// 650-series build whose back-end gives only the 650-series frame sizes.
#pragma once

#include "twain_ds/build_descriptor.h"
#include "twain_ds/capture_backend.h"

namespace twain_ds_test {

inline twain_ds::FrameSize Kt6FrameSize(int standard) {
  // The 650-series standard 1 is NTSC.
  return standard == 1 ? twain_ds::FrameSize{640, 486} : twain_ds::FrameSize{768, 576};
}

inline const twain_ds::CaptureBackend kTest650Backend{.frame_size = Kt6FrameSize};

inline const twain_ds::BuildDescriptor kTest650Build = [] {
  twain_ds::BuildDescriptor build = twain_ds::kKt6Ntc;
  build.backend = &kTest650Backend;
  return build;
}();

}  // namespace twain_ds_test
