// Template and control ids of the camera set-up dialog (template in
// rg7_camera_dialog.rc and kt6_camera_dialog.rc).
#pragma once

namespace twain_ds {

constexpr int IDC_CAMERA_ACTIVE = 1040;
constexpr int IDC_CAMERA_PORT = 1041;
constexpr int IDC_CAMERA_LIVE = 1042;
constexpr int IDC_CAMERA_FLASH = 1043;
constexpr int IDC_CAMERA_MENU = 1044;
constexpr int IDC_CAMERA_MANUAL_FOCUS = 1045;
constexpr int IDC_CAMERA_FOCUS = 1047;
constexpr int IDC_CAMERA_ZOOM = 1048;
constexpr int IDC_CAMERA_BRIGHTNESS = 1049;
constexpr int IDC_CAMERA_RED = 1050;
constexpr int IDC_CAMERA_BLUE = 1051;
constexpr int IDC_CAMERA_SHUTTER = 1052;
constexpr int IDC_CAMERA_IRIS = 1053;
constexpr int IDC_CAMERA_AGC = 1054;
constexpr int IDC_CAMERA_FREEZE = 1055;
constexpr int IDC_CAMERA_FLOATING = 1060;
// The same check box in the 650-series template.
constexpr int IDC_KT6_CAMERA_FLOATING = 1062;

}  // namespace twain_ds
