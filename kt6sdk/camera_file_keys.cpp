#include "kt6sdk/camera_file_keys.h"

#include "kt6sdk/camera_slots.h"
#include "kt6sdk/kt6_records.h"

namespace kt6::camerafile {
namespace {

#define AT(field) offsetof(CameraSettings, field)
#define CFG(field, index) (offsetof(BoardConfig, field) + (index))

constexpr char kMiscSection[] = "Miscellaneous";
constexpr char kGeneralSection[] = "General Control";
constexpr char kSelectionSection[] = "Ana. Video Selection";
constexpr char kConditioningSection[] = "Ana. Video Conditioning";
constexpr char kSyncSection[] = "Sync/Trigger Selection";
constexpr char kEventSection[] = "Event/Strob Control";
constexpr char kPllSection[] = "PLL Control";
constexpr char kScreenSection[] = "Active Screen Definition";
constexpr char kRgbSection[] = "Color RGB";
constexpr char kCsSection[] = "Color C/S Video";

using enum Kind;
using enum Group;

constexpr Key U8(const char* s, const char* n, std::size_t at, std::uint32_t def, Group g = kAlways) {
  return {s, n, at, kU8, g, false, def, nullptr, kNoConfigDefault};
}
constexpr Key U16(const char* s, const char* n, std::size_t at, std::uint32_t def, bool hex = false) {
  return {s, n, at, kU16, kAlways, hex, def, nullptr, kNoConfigDefault};
}
constexpr Key Level(const char* s, const char* n, std::size_t at, Group g, std::size_t cfg, std::uint32_t def = 0) {
  return {s, n, at, kU8, g, true, def, nullptr, cfg};
}
constexpr Key Float(const char* s, const char* n, std::size_t at, const char* def, Group g = kAlways) {
  return {s, n, at, kFloat, g, false, 0, def, kNoConfigDefault};
}

const Key kKeys[] = {
    {kMiscSection, "Version", AT(version), kText, kAlways, false, 0, "ERR", kNoConfigDefault, 4},
    {kMiscSection, "Camera_ID", AT(camera_id), kText, kAlways, false, 0, "UNKNOWN", kNoConfigDefault, 20},
    U8(kGeneralSection, "Flag_Digital_Port", AT(flag_digital_port), 0),
    U8(kGeneralSection, "Pixel_Mode", AT(pixel_mode), 6),
    U8(kGeneralSection, "Input_Data_Format", AT(input_data_format), 0),
    U8(kGeneralSection, "Video_Conn_Select", AT(video_conn_select), 0),
    U8(kGeneralSection, "Tim_Gen_Enable", AT(tim_gen_enable), 0),
    U8(kGeneralSection, "Tim_Gen_VD_Gate_By_Strobe", AT(tim_gen_vd_gate_by_strobe), 0),
    U8(kGeneralSection, "Flag_Interlace", AT(flag_interlace), 1),
    U8(kSelectionSection, "Video_Channel", AT(video_channel), 0),
    Level(kConditioningSection, "AD_Convert_Top", AT(ad_convert_top), kMonoLevels, kNoConfigDefault, kLevelsAbsent),
    Level(kConditioningSection, "AD_Convert_Bottom", AT(ad_convert_bottom), kMonoLevels, CFG(bottom_levels, 0)),
    Level(kConditioningSection, "Clamp_Level", AT(clamp_level), kMonoLevels, CFG(clamp_levels, 0)),
    Float(kConditioningSection, "Video_Gain", AT(video_gain), "0.0", kMonoGain),
    U8(kConditioningSection, "Video_Offset", AT(video_offset), 128, kMonoGain),
    U8(kSelectionSection, "Clamp_Control", AT(clamp_control), 1, kMono),
    U8(kSyncSection, "Sync_Channel", AT(sync_channel), 0),
    U8(kSyncSection, "External_Sync_Input", AT(external_sync_input), 0),
    U8(kSyncSection, "External_CSync_Input", AT(external_csync_input), 1),
    U8(kSyncSection, "External_CSync_TTL", AT(external_csync_ttl), 0),
    U8(kSyncSection, "HSync_Polarity", AT(hsync_polarity), 0),
    U8(kSyncSection, "VSync_Polarity", AT(vsync_polarity), 0),
    U8(kSyncSection, "CSync_Polarity", AT(csync_polarity), 0),
    U8(kSyncSection, "Trigger_En", AT(trigger_en), 0),
    U8(kSyncSection, "Trigger_Channel", AT(trigger_channel), 0),
    U8(kSyncSection, "Trigger_Polarity", AT(trigger_polarity), 0),
    U8(kSyncSection, "Trigger_Src_Sel", AT(trigger_src_sel), 0),
    U8(kSyncSection, "Trigger_Ctrl_Level", AT(trigger_ctrl_level), 0),
    U8(kSyncSection, "Trigger_Grab_Stop", AT(trigger_grab_stop), 0),
    U8(kSyncSection, "Trigger_Grab_Cont", AT(trigger_grab_cont), 0),
    U8(kEventSection, "Event_En", AT(event_en), 0),
    U8(kEventSection, "Event_Channel", AT(event_channel), 0),
    U8(kEventSection, "Event_Polarity", AT(event_polarity), 0),
    U8(kEventSection, "Delay_CNT_En", AT(delay_cnt_en), 0),
    U8(kEventSection, "Delay_CNT_Clk_Sel", AT(delay_cnt_clk_sel), 0),
    U8(kEventSection, "Delay_CNT_Clk_Edge", AT(delay_cnt_clk_edge), 0),
    U16(kEventSection, "Delay_CNT_Value", AT(delay_cnt_value), 10),
    U8(kEventSection, "Delay_St_Gate_En", AT(delay_st_gate_en), 0),
    U8(kEventSection, "Delay_St_Gate_Control", AT(delay_st_gate_control), 0),
    U8(kEventSection, "Delay_St_Gate_VS_Back", AT(delay_st_gate_vs_back), 0),
    U8(kEventSection, "Strobe_En", AT(strobe_en), 0),
    U8(kEventSection, "Strobe_HW", AT(strobe_hw), 1),
    U8(kEventSection, "Strobe_CNT_Clk_Sel", AT(strobe_cnt_clk_sel), 0),
    U8(kEventSection, "Strobe_CNT_Clk_Edge", AT(strobe_cnt_clk_edge), 0),
    U16(kEventSection, "Strobe_CNT_Value", AT(strobe_cnt_value), 10),
    U8(kEventSection, "Strobe_St_Gate_En", AT(strobe_st_gate_en), 0),
    U8(kEventSection, "Strobe_St_Gate_Control", AT(strobe_st_gate_control), 0),
    U8(kEventSection, "Strobe_St_Gate_VS_Back", AT(strobe_st_gate_vs_back), 0),
    U8(kEventSection, "Strobe_St_Double_Pulse", AT(strobe_st_double_pulse), 0),
    U8(kEventSection, "Strobe_Channel", AT(strobe_channel), 0),
    U8(kEventSection, "Strobe0_Polarity", AT(strobe_polarity) + 0, 0),
    U8(kEventSection, "Strobe1_Polarity", AT(strobe_polarity) + 1, 0),
    U8(kEventSection, "Strobe2_Polarity", AT(strobe_polarity) + 2, 0),
    U8(kEventSection, "Strobe3_Polarity", AT(strobe_polarity) + 3, 0),
    Float(kPllSection, "H_Period", AT(h_period), "63.556000"),
    U16(kPllSection, "Pixel_Per_Line", AT(pixel_per_line), 772, true),
    U8(kPllSection, "Clock_Reference_Select", AT(clock_reference_select), 0),
    U8(kPllSection, "Ext_Clock_Channel", AT(ext_clock_channel), 2),
    Float(kPllSection, "Pixel_Clock_Freq", AT(pixel_clock_freq), "12.5"),
    U8(kPllSection, "Phase_Triming", AT(phase_triming), 0),
    U8(kPllSection, "Lead_Lag", AT(lead_lag), 0),
    U16(kScreenSection, "H_Offset", AT(h_offset), 114, true),
    U16(kScreenSection, "V_Offset", AT(v_offset), 16, true),
    U16(kScreenSection, "H_Max_Capture_Size", AT(h_max_capture_size), 640, true),
    U16(kScreenSection, "V_Max_Capture_Size", AT(v_max_capture_size), 480, true),
    Level(kRgbSection, "RGB_R_Top", AT(rgb_r_top), kRgbLevels, kNoConfigDefault, kLevelsAbsent),
    Level(kRgbSection, "RGB_R_Bottom", AT(rgb_r_bottom), kRgbLevels, CFG(first_bottom_levels, 0)),
    Level(kRgbSection, "RGB_G_Top", AT(rgb_g_top), kRgbLevels, CFG(second_top_levels, 0)),
    Level(kRgbSection, "RGB_G_Bottom", AT(rgb_g_bottom), kRgbLevels, CFG(second_bottom_levels, 0)),
    Level(kRgbSection, "RGB_B_Top", AT(rgb_b_top), kRgbLevels, CFG(first_top_levels, 0)),
    Level(kRgbSection, "RGB_B_Bottom", AT(rgb_b_bottom), kRgbLevels, CFG(first_bottom_levels, 0)),
    Level(kRgbSection, "RGB_R_Clamp", AT(rgb_r_clamp), kRgbLevels, CFG(first_clamp_levels, 0)),
    Level(kRgbSection, "RGB_G_Clamp", AT(rgb_g_clamp), kRgbLevels, CFG(second_clamp_levels, 0)),
    Level(kRgbSection, "RGB_B_Clamp", AT(rgb_b_clamp), kRgbLevels, CFG(first_clamp_levels, 0)),
    Float(kRgbSection, "RGB_R_Gain", AT(rgb_r_gain), "0.0", kRgbGain),
    U8(kRgbSection, "RGB_R_Offset", AT(rgb_r_offset), 128, kRgbGain),
    Float(kRgbSection, "RGB_G_Gain", AT(rgb_g_gain), "0.0", kRgbGain),
    U8(kRgbSection, "RGB_G_Offset", AT(rgb_g_offset), 128, kRgbGain),
    Float(kRgbSection, "RGB_B_Gain", AT(rgb_b_gain), "0.0", kRgbGain),
    U8(kRgbSection, "RGB_B_Offset", AT(rgb_b_offset), 128, kRgbGain),
    U8(kRgbSection, "RGB_Clamp_Control", AT(rgb_clamp_control), 1, kRgb),
    U8(kCsSection, "CS_SVideo", AT(cs_svideo), 0, kColourVideo),
    U8(kCsSection, "CS_Brightness", AT(cs_brightness), 128, kColourVideo),
    U8(kCsSection, "CS_Contrast", AT(cs_contrast), 128, kColourVideo),
    {kCsSection, "CS_Hue", AT(cs_hue), kI8, kColourVideo, false, 0, nullptr, kNoConfigDefault},
    U8(kCsSection, "CS_Satuation", AT(cs_satuation), 128, kColourVideo),
    U8(kCsSection, "CS_AGC_Off", AT(cs_agc_off), 0, kColourVideo),
    U8(kCsSection, "CS_Gain", AT(cs_gain), 0, kColourVideo),
    U8(kCsSection, "CS_Mono_Mode", AT(cs_mono_mode), 0, kColourVideo),
    U8(kCsSection, "CS_VCR_Mode", AT(cs_vcr_mode), 0, kColourVideo),
};

#undef AT
#undef CFG

}  // namespace

std::span<const Key> Keys() { return kKeys; }

}  // namespace kt6::camerafile
