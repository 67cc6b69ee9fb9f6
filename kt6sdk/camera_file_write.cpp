// Writing a camera's settings as a camera definition file: the keys the reader
// would read for these settings, and none of the other form of a level group, so
// that the file reads back as written.
#include <cstdio>
#include <cstring>

#include "kt6sdk/camera_file_groups.h"
#include "kt6sdk/kt6_error_codes.h"
#include "platform/profile.h"

namespace kt6 {
namespace {

using namespace camerafile;

constexpr char kWrittenVersion[] = "3.0";
constexpr std::size_t kValueText = 32;

template <typename T>
T Get(const CameraSettings* s, std::size_t offset) {
  T value;
  std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(s) + offset, sizeof value);
  return value;
}

void Format(const Key& key, const CameraSettings* s, char (&text)[kValueText]) {
  switch (key.kind) {
    case Kind::kText:
      if (key.offset == offsetof(CameraSettings, version)) {
        std::snprintf(text, sizeof text, "%s", kWrittenVersion);
      } else {
        char field[sizeof s->camera_id + 1] = {};
        std::memcpy(field, reinterpret_cast<const char*>(s) + key.offset, key.width - 1);
        std::snprintf(text, sizeof text, "%s", field);
      }
      return;
    case Kind::kFloat:
      std::snprintf(text, sizeof text, "%f", static_cast<double>(Get<float>(s, key.offset)));
      return;
    case Kind::kI8:
      std::snprintf(text, sizeof text, "%d", Get<std::int8_t>(s, key.offset));
      return;
    case Kind::kU16:
      std::snprintf(text, sizeof text, key.hex ? "0x%x" : "%d", Get<std::uint16_t>(s, key.offset));
      return;
    case Kind::kU8:
      std::snprintf(text, sizeof text, key.hex ? "0x%x" : "%d", Get<std::uint8_t>(s, key.offset));
      return;
  }
}

}  // namespace

std::int32_t WriteCameraFile(const char* path, const CameraSettings* settings) {
  if (!path || !settings) return KT6_ERR_PARAMETER;
  for (const Key& key : Keys()) {
    BOOL written = TRUE;
    if (InFile(key.group, *settings)) {
      char text[kValueText];
      Format(key, settings, text);
      written = WritePrivateProfileStringA(key.section, key.name, text, path);
    } else if (OtherForm(key.group, *settings)) {
      written = WritePrivateProfileStringA(key.section, key.name, nullptr, path);
    }
    if (!written) return KT6_ERR_GENERAL;
  }
  return KT6_OK;
}

}  // namespace kt6
