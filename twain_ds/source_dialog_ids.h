// Template and control ids of the Source dialog (templates in rg7_source_dialog.rc
// and kt6_source_dialog.rc).
#pragma once

namespace twain_ds {

constexpr int IDD_SOURCE = 104;

constexpr int IDC_SOURCE_PAL = 1004;
constexpr int IDC_SOURCE_NTSC = 1005;
constexpr int IDC_SOURCE_CONNECTOR_1 = 1007;
constexpr int IDC_SOURCE_CONNECTOR_2 = 1008;
constexpr int IDC_SOURCE_CONNECTOR_3 = 1009;
constexpr int IDC_SOURCE_COMPOSITE = 1010;
constexpr int IDC_SOURCE_SVIDEO = 1011;
constexpr int IDC_SOURCE_STROBE_WIDTH = 1021;
constexpr int IDC_SOURCE_VCR = 1035;
constexpr int IDC_SOURCE_STROBE_ON = 1058;
constexpr int IDC_SOURCE_STROBE_DELAY = 1059;

}  // namespace twain_ds
