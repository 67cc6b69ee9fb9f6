// The fifteen camera slots: loads from a file or a caller's record, each checked
// whole in a slot of its own before it replaces the one it loads; the current
// camera's window for KT6Init.
#include <cmath>
#include <cstring>

#include "kt6sdk/camera_slot_store.h"
#include "kt6sdk/config_word.h"
#include "kt6sdk/kt6_error_codes.h"

namespace kt6 {

CameraSlots g_cameraSlots;

namespace {

using namespace cfgword;

constexpr std::uint8_t kSignalPixelMode = 6;  // the camera's own format
constexpr std::uint8_t kRgb24PixelMode = 4;
constexpr std::uint8_t kRgb32PixelMode = 5;

bool Clamp(std::uint8_t control, std::uint32_t* word) {
  if (control == 1)
    *word |= kClamp1;
  else if (control == 2)
    *word |= kClamp2;
  else
    return false;
  return true;
}

bool Format(const CameraSettings& s, std::uint32_t* word) {
  std::uint8_t format = s.input_data_format, mode = s.pixel_mode;
  if (s.flag_digital_port == 1) {
    if (format == camera::kColourVideoFormat && mode == kSignalPixelMode)
      *word |= kDigitalColour;
    else if (format == camera::kMonoFormat && mode == kSignalPixelMode)
      *word |= kDigitalMono;
    else
      return false;
    *word |= kDigitalPort;
    return true;
  }
  if (s.flag_digital_port != 0) return false;
  if (format == camera::kColourVideoFormat && mode == kSignalPixelMode) {
    *word |= kAnalogColour;
  } else if (format == camera::kMonoFormat && mode == kSignalPixelMode) {
    *word |= kAnalogMono;
    if (!Clamp(s.clamp_control, word)) return false;
  } else if (format == camera::kRgbFormat && (mode == kRgb24PixelMode || mode == kRgb32PixelMode)) {
    *word |= mode == kRgb24PixelMode ? kRgb24 : kRgb32;
    if (!Clamp(s.rgb_clamp_control, word)) return false;
  } else {
    return false;
  }
  *word |= kAnalogPort;
  return true;
}

bool Flag(std::uint8_t value, std::uint32_t bit, std::uint32_t* word) {
  if (value > 1) return false;
  if (value) *word |= bit;
  return true;
}

bool Sync(const CameraSettings& s, std::uint32_t* word) {
  if (s.external_sync_input == 0) {
    *word |= kInternalSync;
  } else if (s.external_sync_input != 1) {
    return false;
  } else if (s.external_csync_input == 0) {
    *word |= kSeparateSync;
  } else if (s.external_csync_input != 1) {
    return false;
  } else if (s.external_csync_ttl == 0) {
    *word |= kCompositeSync;
  } else if (s.external_csync_ttl == 1) {
    *word |= kTtlCompositeSync;
  } else {
    return false;
  }
  return true;
}

bool Clock(const CameraSettings& s, std::uint32_t* word) {
  if (!s.flag_digital_port) {
    if (s.clock_reference_select == 0)
      *word |= kInternalClock;
    else if (s.clock_reference_select == 2)
      *word |= kExternalClock;
    else
      return false;
  }
  switch (s.ext_clock_channel) {
    case 0:
      return true;
    case 1:
      *word |= kSecondClockChannel;
      return true;
    case 2:
      if (s.sync_channel == 1) *word |= kSecondClockChannel;
      return true;
    default:
      return false;
  }
}

// The configuration word the settings describe; false for a value outside the
// combinations a camera can have.
bool DeriveWord(const CameraSettings& s, std::uint32_t* out) {
  std::uint32_t word = 0;
  if (!Format(s, &word) || !Flag(s.video_conn_select, kSecondConnector, &word) ||
      !Flag(s.tim_gen_enable, kTimingGenerator, &word) || !Flag(s.sync_channel, kSecondSyncChannel, &word) ||
      !Sync(s, &word) || !Clock(s, &word))
    return false;
  if (s.tim_gen_enable && !Flag(s.tim_gen_vd_gate_by_strobe, kVerticalDriveByStrobe, &word)) return false;
  *out = word;
  return true;
}

// Gains and timings that are numbers: a NaN or an infinity would reach the level
// and clock arithmetic.
bool FiniteFloats(const CameraSettings& s) {
  for (float f : {s.video_gain, s.rgb_r_gain, s.rgb_g_gain, s.rgb_b_gain, s.h_period, s.pixel_clock_freq})
    if (!std::isfinite(f)) return false;
  return true;
}

void SetSource(CameraSlot* slot, const char* text) {
  std::memset(slot->source, 0, sizeof slot->source);
  std::strncpy(slot->source, text, sizeof slot->source - 1);
}

}  // namespace

std::int32_t CameraBoardReady() {
  if (!g_state.opened.load()) return KT6_ERR_GENERAL;
  if (g_state.board_type < kFirstCameraBoard) return KT6_ERR_NOT_SUPPORTED;
  return KT6_OK;
}

std::int32_t LoadCameraSlot(std::uint8_t slot, const CameraSettings* record, const char* path) {
  if (std::int32_t ready = CameraBoardReady()) return ready;
  if (slot >= kCameraSlots || (!record && !path)) return KT6_ERR_PARAMETER;
  CameraSlot loaded = g_cameraSlots.slots[slot];
  if (path) {
    SetSource(&loaded, path);
    if (std::int32_t read = ReadCameraFile(path, &loaded.settings)) return read;
  } else {
    std::memcpy(&loaded.settings, record, sizeof loaded.settings);
    SetSource(&loaded, camera::kUserRecord);
  }
  const CameraSettings& s = loaded.settings;
  if (!FiniteFloats(s)) return KT6_ERR_PARAMETER;
  loaded.horizontal_end = static_cast<std::uint16_t>(s.h_offset + s.h_max_capture_size);
  loaded.vertical_end = static_cast<std::uint16_t>(s.v_offset + s.v_max_capture_size);
  std::uint32_t word = 0;
  if (!DeriveWord(s, &word)) return KT6_ERR_PARAMETER;
  loaded.config_word = word;
  g_cameraSlots.slots[slot] = loaded;
  g_state.camera_slot_used[slot] = 1;
  return KT6_OK;
}

std::int32_t GetCameraSlot(std::uint8_t slot, CameraSettings* record, char* name) {
  if (std::int32_t ready = CameraBoardReady()) return ready;
  if (slot >= kCameraSlots || !record || !g_state.camera_slot_used[slot]) return KT6_ERR_PARAMETER;
  const CameraSlot& s = g_cameraSlots.slots[slot];
  std::memcpy(record, &s.settings, sizeof *record);
  if (name) std::memcpy(name, s.source, sizeof s.source);
  return KT6_OK;
}

std::int32_t GetCurrentCameraSlot(std::uint8_t* slot) {
  if (std::int32_t ready = CameraBoardReady()) return ready;
  if (!slot) return KT6_ERR_PARAMETER;
  *slot = g_cameraSlots.current;
  return KT6_OK;
}

bool CurrentCameraWindow(std::uint16_t* x, std::uint16_t* y, std::uint16_t* width, std::uint16_t* height) {
  if (!g_cameraSlots.applied) return false;
  const CameraSettings& s = g_cameraSlots.active.settings;
  *x = s.h_offset;
  *y = s.v_offset;
  *width = s.h_max_capture_size;
  *height = s.v_max_capture_size;
  return true;
}

bool CurrentCameraExtent(std::int32_t* width, std::int32_t* height) {
  if (!g_cameraSlots.applied) return false;
  *width = g_cameraSlots.active.horizontal_end;
  *height = g_cameraSlots.active.vertical_end;
  return true;
}

void ResetCameraSlots() { g_cameraSlots = CameraSlots{}; }

}  // namespace kt6
