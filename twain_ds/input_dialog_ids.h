// Template and control ids of the main dialog (template in input_dialog.rc).
#pragma once

namespace twain_ds {

constexpr int IDD_INPUT = 103;

constexpr int IDC_INPUT_STOP = 1000;
constexpr int IDC_INPUT_VIDEO = 1001;
constexpr int IDC_INPUT_SOURCE = 1002;
constexpr int IDC_INPUT_FORMAT = 1003;
constexpr int IDC_INPUT_CAMERA = 1004;
constexpr int IDC_INPUT_VIDEO_WINDOW = 1034;

}  // namespace twain_ds
