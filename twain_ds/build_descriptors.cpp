#include "twain_ds/backend_rg7/rg7_backend.h"
#include "twain_ds/build_descriptor.h"

namespace twain_ds {

const SeriesRules k700SeriesRules{
    .series = BoardSeries::k700,
    .board_open_argument = 258,
    .stale_log_file = nullptr,
    .capture_without_ui = false,
    .transfer_whole_frame = false,
    .ntsc_standard = 0,
    .picture_control_max = 255,
    .default_picture = {.brightness = 128, .contrast = 128, .hue = 0, .saturation = 128},
    .fine_change_codes = true,
    .zoom_scales_window = false,
    .strobe_width_default = 1,
    .trace_hook = false,
    .russian_dialogs = false,
};

const SeriesRules k650SeriesRules{
    .series = BoardSeries::k650,
    .board_open_argument = 337,
    .stale_log_file = "c:\\twsrc.log",
    .capture_without_ui = true,
    .transfer_whole_frame = true,
    .ntsc_standard = 1,
    .picture_control_max = 127,
    .default_picture = {.brightness = 128, .contrast = 64, .hue = 0, .saturation = 64},
    .fine_change_codes = false,
    .zoom_scales_window = true,
    .strobe_width_default = 0,
    .trace_hook = true,
    .russian_dialogs = true,
};

namespace {
constexpr int k700CameraDialog = 105;
constexpr int k650CameraDialog = 129;
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

// The 650-series back-end is still to come; these builds have no back-end yet.
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
    .backend = nullptr,
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
    .backend = nullptr,
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
    .backend = nullptr,
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
    .backend = nullptr,
};

}  // namespace twain_ds
