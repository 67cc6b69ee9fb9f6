#include "kt6sdk/kt600_ini.h"

#include <array>
#include <cstring>

#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/library_state.h"
#include "platform/profile.h"

namespace kt6 {
namespace {

constexpr char kFileName[] = "\\KT-600.INI";
// Longer than any root that fits the path, so that a root that does not fit is seen.
constexpr std::size_t kRootBuffer = 2 * kIniPathSize;
constexpr std::uint32_t kMaxSpareKb = 64;

template <std::int32_t kValue>
std::int32_t Fixed(const Kt600Context&) {
  return kValue;
}

std::int32_t TimingCounter(const Kt600Context& c) { return c.scanning ? 500 : 14; }
std::int32_t FieldPatch(const Kt600Context& c) { return c.board_type == 2 && c.revision == 19 ? 1 : 0; }
std::int32_t SpareMemory(const Kt600Context& c) { return c.spare_kb > kMaxSpareKb ? 0 : std::int32_t(c.spare_kb); }
std::int32_t IdLow(const Kt600Context& c) { return std::int32_t(c.board_id & 0xFFFF); }
std::int32_t IdHigh(const Kt600Context& c) { return std::int32_t(c.board_id >> 16); }
std::int32_t MemoryClock(const Kt600Context& c) { return c.chip_id == kChip5631 ? 66 : 75; }

bool SecondDecoderBoard(const Kt600Context& c) { return c.board_type >= 3; }
bool SaaOrPlainBoard(const Kt600Context& c) { return c.board_type < 3; }
bool BoardWithId(const Kt600Context& c) { return c.chip_id != kChip5631; }

constexpr std::array<Kt600KeyInfo, static_cast<std::size_t>(Kt600Key::kCount)> kKeys = {{
    {"Other", "I2CTimingCounter", TimingCounter, nullptr},
    {"Other", "AutoI2CTimingEnable", Fixed<3>, nullptr},
    {"Other", "I2CBusFrequency", Fixed<100>, nullptr},
    {"Other", "FieldPatchEnable", FieldPatch, nullptr},
    {"Other", "Savage4_256ColorShiftPatch", Fixed<0>, SecondDecoderBoard},
    {"Other", "NTSCEvenFieldShift", Fixed<1>, nullptr},
    {"Other", "KillInterrupt", Fixed<0>, nullptr},
    {"Other", "DelayRegSetting", Fixed<0>, nullptr},
    {"Other", "FixedVideoAddress", Fixed<0>, nullptr},
    {"Other", "DisableDeviceBitmap", Fixed<1>, nullptr},
    {"Other", "SpecifiedStreamFIFOHi", Fixed<0>, nullptr},
    {"Other", "SpecifiedStreamFIFOLo", Fixed<0>, nullptr},
    {"Other", "SwitchChannelTimeout", Fixed<2000>, nullptr},
    {"Other", "VideoAddressAdjustment", SpareMemory, nullptr},
    {"Other", "PassdownInt", Fixed<1>, nullptr},
    {"MultiBoard", "CurBoard", Fixed<0>, nullptr},
    {"BoardID", "SubSystemIDLow", IdLow, BoardWithId},
    {"BoardID", "SubSystemIDHigh", IdHigh, BoardWithId},
    {"Cable", "SVideoMode", Fixed<0>, nullptr},
    {"Camera", "DetectInterval", Fixed<3>, nullptr},
    {"Camera", "DetectEnable", Fixed<1>, nullptr},
    // The memory clock is the second decoder boards' own: never changed there.
    {"Clock", "EnableHF", Fixed<0>, SaaOrPlainBoard},
    {"Clock", "DefaultHF", MemoryClock, nullptr},
}};

}  // namespace

const Kt600KeyInfo& Kt600KeyOf(Kt600Key key) { return kKeys.at(static_cast<std::size_t>(key)); }

void LocateKt600Ini() {
  char root[kRootBuffer] = {};
  GetProfileStringA("Zephlor", "KT-600", ".", root, sizeof root);
  std::size_t length = std::strlen(root);
  std::memset(g_state.ini_path, 0, sizeof g_state.ini_path);
  if (length + sizeof kFileName > sizeof g_state.ini_path) return;
  std::memcpy(g_state.ini_path, root, length);
  std::memcpy(g_state.ini_path + length, kFileName, sizeof kFileName);
}

std::int32_t ReadKt600Key(Kt600Key key, const Kt600Context& context) {
  const Kt600KeyInfo& info = Kt600KeyOf(key);
  std::int32_t value = info.default_value(context);
  if (g_state.ini_path[0] == '\0' || (info.read_on && !info.read_on(context))) return value;
  return static_cast<std::int32_t>(GetPrivateProfileIntA(info.section, info.name, value, g_state.ini_path));
}

}  // namespace kt6
