// The output lines of board types 3 to 5 other than the strobe channel, set and
// cleared as plain outputs through their polarity bits in register 14.
#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/shadow_bytes.h"
#include "kt6sdk/strobe.h"

namespace kt6 {
namespace {

constexpr std::uint8_t kLevelLow = 0;
constexpr std::uint8_t kLevelHigh = 1;

std::int32_t CheckLine(std::uint8_t line) {
  if (!g_state.opened.load()) return KT6_ERR_GENERAL;
  if (g_state.board_type < kFirstLineBoardType) return KT6_ERR_NOT_SUPPORTED;
  return line > HighestLine() ? KT6_ERR_PARAMETER : KT6_OK;
}

std::uint8_t OutputBit(std::uint8_t line) { return static_cast<std::uint8_t>(1u << line); }

}  // namespace

std::int32_t SetDigitalOutput(std::uint8_t line, std::uint8_t level) {
  if (std::int32_t r = CheckLine(line)) return r;
  if (line == LoadShadow(g_state.config.strobe_channel)) return KT6_ERR_PARAMETER;
  if (level != kLevelLow && level != kLevelHigh) return KT6_OK;
  std::uint8_t bit = OutputBit(line);
  KT6ModifyCtrlReg(ctrlline::kOutputControl, static_cast<std::uint8_t>(~bit), level == kLevelHigh ? bit : 0);
  return KT6_OK;
}

std::int32_t GetDigitalOutput(std::uint8_t line, std::uint8_t* out) {
  if (std::int32_t r = CheckLine(line)) return r;
  if (!out) return KT6_ERR_PARAMETER;
  *out = (KT6GetCtrlReg(ctrlline::kOutputControl) & OutputBit(line)) ? 1 : 0;
  return KT6_OK;
}

}  // namespace kt6
