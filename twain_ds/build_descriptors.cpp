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

}  // namespace twain_ds
