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

// As kt6_ntc, without the 650-series SDK behind it.
inline const twain_ds::BuildDescriptor kTest650Build{
    .module_name = "kt6_ntc",
    .rules = &twain_ds::k650SeriesRules,
    .system = twain_ds::TargetSystem::kWindowsNT,
    .sdk_library = "KT6DLLNT",
    .camera_library = "kessra32",
    .product_name_entry = 6,
    .camera_dialog_template = 129,
    .camera_menu_always_disabled = true,
    .recapture_before_frame_read = true,
    .backend = &kTest650Backend,
};

// As kt6_95a: no camera control.
inline const twain_ds::BuildDescriptor kTest650NoCameraBuild{
    .module_name = "kt6_95a",
    .rules = &twain_ds::k650SeriesRules,
    .system = twain_ds::TargetSystem::kWindows95,
    .sdk_library = "KT6DLL95",
    .camera_library = nullptr,
    .product_name_entry = 4,
    .camera_dialog_template = 0,
    .camera_menu_always_disabled = false,
    .recapture_before_frame_read = true,
    .backend = &kTest650Backend,
};

}  // namespace twain_ds_test
