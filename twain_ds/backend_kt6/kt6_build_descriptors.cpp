// The 650-series builds: their descriptors name the 650-series back-end.
#include "twain_ds/backend_kt6/kt6_backend.h"
#include "twain_ds/build_descriptor.h"

namespace twain_ds {
namespace {
constexpr int k650CameraDialog = 129;
}  // namespace

const BuildDescriptor kKt6_95v{
    .module_name = "kt6_95v",
    .rules = &k650SeriesRules,
    .system = TargetSystem::kWindows95,
    .sdk_library = "KT6DLL95",
    .camera_library = "orbctl32",
    .product_name_entry = 5,
    .camera_dialog_template = k650CameraDialog,
    .camera_menu_always_disabled = false,
    .recapture_before_frame_read = false,
    .backend = &kKt6Backend,
};

const BuildDescriptor kKt6Ntv{
    .module_name = "kt6_ntv",
    .rules = &k650SeriesRules,
    .system = TargetSystem::kWindowsNT,
    .sdk_library = "KT6DLLNT",
    .camera_library = "orbctl32",
    .product_name_entry = 5,
    .camera_dialog_template = k650CameraDialog,
    .camera_menu_always_disabled = false,
    .recapture_before_frame_read = true,
    .backend = &kKt6Backend,
};

const BuildDescriptor kKt6Ntc{
    .module_name = "kt6_ntc",
    .rules = &k650SeriesRules,
    .system = TargetSystem::kWindowsNT,
    .sdk_library = "KT6DLLNT",
    .camera_library = "kessra32",
    .product_name_entry = 6,
    .camera_dialog_template = k650CameraDialog,
    .camera_menu_always_disabled = true,
    .recapture_before_frame_read = true,
    .backend = &kKt6Backend,
};

// No camera control: no camera dialog, no Camera button, no camera settings.
const BuildDescriptor kKt6_95a{
    .module_name = "kt6_95a",
    .rules = &k650SeriesRules,
    .system = TargetSystem::kWindows95,
    .sdk_library = "KT6DLL95",
    .camera_library = nullptr,
    .product_name_entry = 4,
    .camera_dialog_template = 0,
    .camera_menu_always_disabled = false,
    .recapture_before_frame_read = true,
    .backend = &kKt6Backend,
};

}  // namespace twain_ds
