// Reading a camera definition file into a camera's settings, key by key in the
// table's order through the profile calls.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "kt6sdk/camera_file_groups.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/shadow_bytes.h"
#include "platform/profile.h"

namespace kt6 {
namespace {

using namespace camerafile;

constexpr char kFailedVersion[] = "ERR";

template <typename T>
void Put(CameraSettings* s, std::size_t offset, T value) {
  std::memcpy(reinterpret_cast<std::uint8_t*>(s) + offset, &value, sizeof value);
}

std::uint32_t Default(const Key& key) {
  if (key.config_default != kNoConfigDefault)
    return LoadShadow(reinterpret_cast<const std::uint8_t*>(&g_state.config)[key.config_default]);
  return key.number;
}

// The key's value into its field: false for a float that is not a finite number.
bool ReadKey(const Key& key, const char* path, CameraSettings* s) {
  switch (key.kind) {
    case Kind::kText: {
      char* field = reinterpret_cast<char*>(s) + key.offset;
      GetPrivateProfileStringA(key.section, key.name, key.text, field, static_cast<DWORD>(key.width), path);
      return true;
    }
    case Kind::kFloat: {
      char text[kFloatText] = {};
      GetPrivateProfileStringA(key.section, key.name, key.text, text, sizeof text, path);
      float value = 0.0f;
      if (std::sscanf(text, "%f", &value) != 1) value = 0.0f;
      if (!std::isfinite(value)) return false;
      Put(s, key.offset, value);
      return true;
    }
    default:
      break;
  }
  UINT value = GetPrivateProfileIntA(key.section, key.name, static_cast<INT>(Default(key)), path);
  if (key.kind == Kind::kU16)
    Put(s, key.offset, static_cast<std::uint16_t>(value));
  else
    Put(s, key.offset, static_cast<std::uint8_t>(value));
  return true;
}

// The form of a level group: the levels when its top key is there, else the gain
// and offset.
void ChooseForm(const Key& top, const char* path, CameraSettings* s) {
  UINT value = GetPrivateProfileIntA(top.section, top.name, static_cast<INT>(kLevelsAbsent), path);
  *LevelModeOf(top.group, *s) = value == kLevelsAbsent ? camera::kGainOffsetGiven : camera::kTopBottomGiven;
}

}  // namespace

std::int32_t ReadCameraFile(const char* path, CameraSettings* out) {
  if (!path || !out) return KT6_ERR_PARAMETER;
  CameraSettings s{};
  for (const Key& key : Keys()) {
    if (key.group == Group::kMonoLevels || key.group == Group::kRgbLevels) {
      if (key.number == kLevelsAbsent &&
          camerafile::Analog(s, key.group == Group::kMonoLevels ? camera::kMonoFormat : camera::kRgbFormat))
        ChooseForm(key, path, &s);
    }
    if (!InFile(key.group, s)) continue;
    if (!ReadKey(key, path, &s)) return KT6_ERR_PARAMETER;
    if (key.offset == offsetof(CameraSettings, version) && std::strcmp(s.version, kFailedVersion) == 0)
      return KT6_ERR_GENERAL;
  }
  *out = s;
  return KT6_OK;
}

}  // namespace kt6
