// The keys of a camera definition file: where each lands in the settings, how it
// is written, what it defaults to, and when it is read at all. The reader and the
// writer go through the same table in its order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kt6::camerafile {

enum class Kind : std::uint8_t { kText, kU8, kI8, kU16, kFloat };

// When a key is in the file.
enum class Group : std::uint8_t {
  kAlways,
  kMonoLevels,  // monochrome analog camera, levels given as top and bottom
  kMonoGain,    // the same, given as gain and offset
  kMono,        // monochrome analog camera, either form
  kRgbLevels,
  kRgbGain,
  kRgb,
  kColourVideo,  // composite or S-Video camera
};

// A default taken from the board configuration's current levels.
constexpr std::size_t kNoConfigDefault = 0;

struct Key {
  const char* section;
  const char* name;
  std::size_t offset;  // in CameraSettings
  Kind kind;
  Group group;
  bool hex;                    // written "0x%x"
  std::uint32_t number;        // default of an integer key
  const char* text;            // default of a text or float key
  std::size_t config_default;  // non-zero: BoardConfig offset of the default byte
  std::size_t width = 0;       // text keys: the field's bytes
};

// Text keys are read one character short of their field.
constexpr std::uint32_t kLevelsAbsent = 9999;  // the default that marks the top key missing
constexpr std::size_t kFloatText = 20;         // 19 characters and the terminator

std::span<const Key> Keys();

}  // namespace kt6::camerafile
