// Camera definition files and camera slots (board types 4 and 5). A camera
// definition file is an INI file with a section per function group; its settings
// fill the first 141 bytes of a slot. Fifteen slots hold cameras loaded from a
// file or a caller's record; applying one programs the board for that camera and
// re-initialises it with the user-camera standard. No export reaches these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt6 {

#pragma pack(push, 1)

// What a camera definition file holds (also the form of a caller's record).
struct CameraSettings {
  char version[5];
  char camera_id[21];
  // General Control
  std::uint8_t flag_digital_port;
  std::uint8_t pixel_mode;
  std::uint8_t input_data_format;  // 0 monochrome, 1 RGB, 2 composite or S-Video
  std::uint8_t video_conn_select;
  std::uint8_t tim_gen_enable;
  std::uint8_t tim_gen_vd_gate_by_strobe;
  std::uint8_t flag_interlace;
  // Ana. Video Selection and Conditioning
  std::uint8_t video_channel;
  std::uint8_t level_mode;  // 1 top/bottom given, 2 gain/offset given
  std::uint8_t ad_convert_top;
  std::uint8_t ad_convert_bottom;
  std::uint8_t clamp_level;
  float video_gain;
  std::uint8_t video_offset;
  std::uint8_t clamp_control;
  // Sync/Trigger Selection
  std::uint8_t sync_channel;
  std::uint8_t external_sync_input;
  std::uint8_t external_csync_input;
  std::uint8_t external_csync_ttl;
  std::uint8_t hsync_polarity;
  std::uint8_t vsync_polarity;
  std::uint8_t csync_polarity;
  std::uint8_t trigger_en;
  std::uint8_t trigger_channel;
  std::uint8_t trigger_polarity;
  std::uint8_t trigger_src_sel;
  std::uint8_t trigger_ctrl_level;
  std::uint8_t trigger_grab_stop;
  std::uint8_t trigger_grab_cont;
  // Event/Strob Control
  std::uint8_t event_en;
  std::uint8_t event_channel;
  std::uint8_t event_polarity;
  std::uint8_t delay_cnt_en;
  std::uint8_t delay_cnt_clk_sel;
  std::uint8_t delay_cnt_clk_edge;
  std::uint16_t delay_cnt_value;
  std::uint8_t delay_st_gate_en;
  std::uint8_t delay_st_gate_control;
  std::uint8_t delay_st_gate_vs_back;
  std::uint8_t strobe_en;
  std::uint8_t strobe_hw;
  std::uint8_t strobe_cnt_clk_sel;
  std::uint8_t strobe_cnt_clk_edge;
  std::uint16_t strobe_cnt_value;
  std::uint8_t strobe_st_gate_en;
  std::uint8_t strobe_st_gate_control;
  std::uint8_t strobe_st_gate_vs_back;
  std::uint8_t strobe_st_double_pulse;
  std::uint8_t strobe_channel;
  std::uint8_t strobe_polarity[4];
  // PLL Control
  float h_period;
  std::uint16_t pixel_per_line;
  std::uint8_t clock_reference_select;
  std::uint8_t ext_clock_channel;
  float pixel_clock_freq;
  std::uint8_t phase_triming;
  std::uint8_t lead_lag;
  // Active Screen Definition
  std::uint16_t h_offset;
  std::uint16_t v_offset;
  std::uint16_t h_max_capture_size;
  std::uint16_t v_max_capture_size;
  // Color RGB
  std::uint8_t rgb_level_mode;
  std::uint8_t rgb_r_top, rgb_r_bottom, rgb_g_top, rgb_g_bottom, rgb_b_top, rgb_b_bottom;
  std::uint8_t rgb_r_clamp, rgb_g_clamp, rgb_b_clamp;
  float rgb_r_gain;
  std::uint8_t rgb_r_offset;
  float rgb_g_gain;
  std::uint8_t rgb_g_offset;
  float rgb_b_gain;
  std::uint8_t rgb_b_offset;
  std::uint8_t rgb_clamp_control;
  // Color C/S Video
  std::uint8_t cs_svideo;
  std::uint8_t cs_brightness;
  std::uint8_t cs_contrast;
  std::int8_t cs_hue;
  std::uint8_t cs_satuation;
  std::uint8_t cs_agc_off;
  std::uint8_t cs_gain;
  std::uint8_t cs_mono_mode;
  std::uint8_t cs_vcr_mode;
};

constexpr std::size_t kCameraSourceSize = 80;

struct CameraSlot {
  CameraSettings settings;
  char source[kCameraSourceSize];  // the file's path or "USER-DEFINED-STRUCTURE"
  std::uint16_t horizontal_end;    // H_Offset + H_Max_Capture_Size
  std::uint16_t vertical_end;
  std::uint16_t pll_words[7];  // as the pixel clock derived them
  float line_khz;
  std::uint32_t config_word;  // caller notation
};

#pragma pack(pop)

static_assert(sizeof(float) == 4);
static_assert(sizeof(CameraSettings) == 141);
static_assert(offsetof(CameraSettings, video_gain) == 38);
static_assert(offsetof(CameraSettings, delay_cnt_value) == 64);
static_assert(offsetof(CameraSettings, strobe_polarity) == 80);
static_assert(offsetof(CameraSettings, h_period) == 84);
static_assert(offsetof(CameraSettings, h_offset) == 98);
static_assert(offsetof(CameraSettings, rgb_level_mode) == 106);
static_assert(offsetof(CameraSettings, rgb_r_gain) == 116);
static_assert(offsetof(CameraSettings, rgb_clamp_control) == 131);
static_assert(offsetof(CameraSettings, cs_vcr_mode) == 140);
static_assert(sizeof(CameraSlot) == 247);
static_assert(offsetof(CameraSlot, horizontal_end) == 221);
static_assert(offsetof(CameraSlot, pll_words) == 225);
static_assert(offsetof(CameraSlot, line_khz) == 239);
static_assert(offsetof(CameraSlot, config_word) == 243);

namespace camera {
constexpr std::uint8_t kTopBottomGiven = 1;
constexpr std::uint8_t kGainOffsetGiven = 2;
constexpr std::uint8_t kMonoFormat = 0;
constexpr std::uint8_t kRgbFormat = 1;
constexpr std::uint8_t kColourVideoFormat = 2;
constexpr char kUserRecord[] = "USER-DEFINED-STRUCTURE";
}  // namespace camera

// The settings of the file at `path`: 0; -34 for a null argument or a gain that is
// not a finite number; -1 when the file has no Version.
std::int32_t ReadCameraFile(const char* path, CameraSettings* out);
// The file at `path` from the settings: 0, -34 for a null argument, -1 when the
// file cannot be written.
std::int32_t WriteCameraFile(const char* path, const CameraSettings* settings);

// Slot 0 to 14 from the file at `path` when one is given, else from `record`. A
// refused load leaves the slot as it was.
std::int32_t LoadCameraSlot(std::uint8_t slot, const CameraSettings* record, const char* path);
// A loaded slot's settings, and its source text when `name` is not null (80 bytes).
std::int32_t GetCameraSlot(std::uint8_t slot, CameraSettings* record, char* name);
// Makes a loaded slot current and programs the board from it, then KT6Init.
std::int32_t ApplyCameraSlot(std::uint8_t slot);
std::int32_t GetCurrentCameraSlot(std::uint8_t* slot);

// The applied camera: its grab window and the ends of its video; false (nothing
// written) while no slot has been applied.
bool CurrentCameraWindow(std::uint16_t* x, std::uint16_t* y, std::uint16_t* width, std::uint16_t* height);
bool CurrentCameraExtent(std::int32_t* width, std::int32_t* height);

// The slots and the current camera forgotten (library load and reset).
void ResetCameraSlots();

}  // namespace kt6
