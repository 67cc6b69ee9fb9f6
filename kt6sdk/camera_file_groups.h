// Which keys of a camera definition file apply to the settings as far as they go:
// the analog conditioning of a monochrome camera, the RGB levels, the composite or
// S-Video controls, each level group in its given form.
#pragma once

#include "kt6sdk/camera_file_keys.h"
#include "kt6sdk/camera_slots.h"

namespace kt6::camerafile {

inline bool Analog(const CameraSettings& s, std::uint8_t format) {
  return s.flag_digital_port == 0 && s.input_data_format == format;
}

// The level groups by their form: mode 2 gain and offset, any other the levels.
inline bool InFile(Group group, const CameraSettings& s) {
  switch (group) {
    case Group::kAlways:
      return true;
    case Group::kMono:
      return Analog(s, camera::kMonoFormat);
    case Group::kMonoLevels:
      return Analog(s, camera::kMonoFormat) && s.level_mode != camera::kGainOffsetGiven;
    case Group::kMonoGain:
      return Analog(s, camera::kMonoFormat) && s.level_mode == camera::kGainOffsetGiven;
    case Group::kRgb:
      return Analog(s, camera::kRgbFormat);
    case Group::kRgbLevels:
      return Analog(s, camera::kRgbFormat) && s.rgb_level_mode != camera::kGainOffsetGiven;
    case Group::kRgbGain:
      return Analog(s, camera::kRgbFormat) && s.rgb_level_mode == camera::kGainOffsetGiven;
    case Group::kColourVideo:
      return Analog(s, camera::kColourVideoFormat);
  }
  return false;
}

// The other form of a level group that is in the file.
inline bool OtherForm(Group group, const CameraSettings& s) {
  switch (group) {
    case Group::kMonoLevels:
    case Group::kMonoGain:
      return Analog(s, camera::kMonoFormat) && !InFile(group, s);
    case Group::kRgbLevels:
    case Group::kRgbGain:
      return Analog(s, camera::kRgbFormat) && !InFile(group, s);
    default:
      return false;
  }
}

inline std::uint8_t* LevelModeOf(Group group, CameraSettings& s) {
  return group == Group::kMonoLevels || group == Group::kMonoGain ? &s.level_mode : &s.rgb_level_mode;
}

}  // namespace kt6::camerafile
