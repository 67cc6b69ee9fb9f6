// The 700-series builds: their descriptors name the 700-series back-end.
#include "twain_ds/backend_rg7/rg7_backend.h"
#include "twain_ds/build_descriptor.h"

namespace twain_ds {
namespace {
constexpr int k700CameraDialog = 105;
}  // namespace

const BuildDescriptor kRg7_95v{
    .module_name = "rg7_95v",
    .rules = &k700SeriesRules,
    .system = TargetSystem::kWindows95,
    .sdk_library = "rg7app95",
    .camera_library = "orbctl32",
    .product_name_entry = 5,
    .camera_dialog_template = k700CameraDialog,
    .camera_menu_always_disabled = false,
    .recapture_before_frame_read = false,
    .backend = &kRg7Backend,
};

const BuildDescriptor kRg7Ntc{
    .module_name = "rg7_ntc",
    .rules = &k700SeriesRules,
    .system = TargetSystem::kWindowsNT,
    .sdk_library = "rg7appNT",
    .camera_library = "kessra32",
    .product_name_entry = 9,
    .camera_dialog_template = k700CameraDialog,
    .camera_menu_always_disabled = true,
    .recapture_before_frame_read = false,
    .backend = &kRg7Backend,
};

}  // namespace twain_ds
