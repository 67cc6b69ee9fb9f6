// KT-600.INI: the library's configuration file, found through WIN.INI (section
// "Zephlor", key "KT-600": the directory; "." when missing). Every key is an
// integer with a default that may depend on the board; a file or key that is
// missing gives the default.
#pragma once

#include <cstdint>

namespace kt6 {

enum class Kt600Key {
  kI2CTimingCounter,
  kAutoI2CTimingEnable,
  kI2CBusFrequency,
  kFieldPatchEnable,
  kSavage4ShiftPatch,
  kNTSCEvenFieldShift,
  kKillInterrupt,
  kDelayRegSetting,
  kFixedVideoAddress,
  kDisableDeviceBitmap,
  kSpecifiedStreamFIFOHi,
  kSpecifiedStreamFIFOLo,
  kSwitchChannelTimeout,
  kVideoAddressAdjustment,
  kPassdownInt,
  kCurBoard,
  kSubSystemIDLow,
  kSubSystemIDHigh,
  kSVideoMode,
  kDetectInterval,
  kDetectEnable,
  kEnableHF,
  kDefaultHF,
  kCount
};

// What the defaults depend on.
struct Kt600Context {
  std::uint16_t chip_id = 0;
  std::uint16_t board_type = 0;
  std::uint8_t revision = 0;
  std::uint32_t board_id = 0;
  std::uint32_t spare_kb = 0;  // display memory the desktop leaves
  bool scanning = false;       // the boards are being scanned: the bus timing is not calibrated yet
};

struct Kt600KeyInfo {
  const char* section;
  const char* name;
  std::int32_t (*default_value)(const Kt600Context&);
  // Null: read on every board; else only where this holds (the default elsewhere).
  bool (*read_on)(const Kt600Context&);
};

const Kt600KeyInfo& Kt600KeyOf(Kt600Key key);

// Sets the INI path from WIN.INI's root. A root too long for the path means no
// file: every key then takes its default.
void LocateKt600Ini();
// The key's value from KT-600.INI, or its default.
std::int32_t ReadKt600Key(Kt600Key key, const Kt600Context& context);

}  // namespace kt6
