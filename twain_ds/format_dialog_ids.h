// Template and control ids of the Format dialog (template in format_dialog.rc).
#pragma once

namespace twain_ds {

constexpr int IDD_FORMAT = 102;

constexpr int IDC_FORMAT_HUE = 1000;
constexpr int IDC_FORMAT_HUE_SLIDER = 1001;
constexpr int IDC_FORMAT_SATURATION = 1002;
constexpr int IDC_FORMAT_IMAGE_FORMAT = 1003;
constexpr int IDC_FORMAT_SATURATION_SLIDER = 1004;
constexpr int IDC_FORMAT_BRIGHTNESS = 1005;
constexpr int IDC_FORMAT_CONTRAST = 1006;
constexpr int IDC_FORMAT_BRIGHTNESS_SLIDER = 1007;
constexpr int IDC_FORMAT_CONTRAST_SLIDER = 1008;
constexpr int IDC_FORMAT_DEFAULT = 1017;
constexpr int IDC_FORMAT_KEY_RED = 1019;
constexpr int IDC_FORMAT_KEY_GREEN = 1020;
constexpr int IDC_FORMAT_WIDTH = 1021;
constexpr int IDC_FORMAT_HEIGHT = 1022;
constexpr int IDC_FORMAT_WIDTH_SLIDER = 1023;
constexpr int IDC_FORMAT_HEIGHT_SLIDER = 1024;
constexpr int IDC_FORMAT_KEY_BLUE = 1025;
constexpr int IDC_FORMAT_OFFSET_X = 1026;
constexpr int IDC_FORMAT_OFFSET_X_SLIDER = 1027;
constexpr int IDC_FORMAT_OFFSET_Y = 1028;
constexpr int IDC_FORMAT_OFFSET_Y_SLIDER = 1029;
constexpr int IDC_FORMAT_ZOOM = 1032;

// Change codes the Format dialog posts to its parent with WM_USER; the
// 650-series dialog posts kChangeRestart for every change.
enum FormatChange : int {
  kChangeRestart = 0,
  kChangeColorKey = 3,
  kChangeOffsetX = 4,
  kChangeOffsetY = 5,
  kChangeWidth = 6,
  kChangeHeight = 7,
  kChangeHue = 8,
  kChangeSaturation = 9,
  kChangeBrightness = 10,
  kChangeContrast = 11,
};

}  // namespace twain_ds
