#include "kt6sdk/camera_pll.h"

#include <cmath>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace pll;

constexpr std::uint16_t kMaxLineTotal = 8192;
constexpr std::uint16_t kHalvedTotal = 2048;
constexpr float kMinLinePeriodUs = 1e-6f;

// Where each standard's line lies: its total of square pixels and its period.
struct StandardTiming {
  std::uint16_t total;
  float period_us;
};
constexpr StandardTiming kStandardTimings[] = {{780, 63.556f}, {944, 64.0f}};

// Frequency bands of the pixel clock, with the VCO and divider settings each takes.
struct Band {
  float below_mhz;         // the last band has no end
  std::uint8_t given_vco;  // word 4 bits 0-2 when the pixel clock is given
  std::uint8_t given_div;  // word 5 bits 4-5
  std::uint8_t vco;        // the same when the PLL derives it from the line
  std::uint8_t div;
};
constexpr Band kBands[] = {
    {6, 5, 0, 4, 1},  {10, 5, 1, 5, 1}, {15, 4, 2, 4, 2},
    {20, 6, 2, 5, 2}, {29, 4, 3, 5, 3}, {0, 6, 3, 6, 3},  // the last: 29 MHz and above
};

// The word bits, by word.
constexpr std::uint16_t kW0Total = 0x07FF;
constexpr std::uint16_t kW0GivenKeep = 0xF800;
constexpr std::uint16_t kW0GivenTotal = 0x3F;
constexpr std::uint16_t kW1W2LowByte = 0x00FF;
constexpr std::uint16_t kW1Value = 3;
constexpr std::uint16_t kW2Value = 6;
constexpr std::uint16_t kW3Low = 0x03FF;
constexpr std::uint16_t kW3GivenLow = 0x3F;
constexpr std::uint16_t kW3Bit10 = 0x0400;
constexpr std::uint16_t kW4Vco = 0x0007;
constexpr std::uint16_t kW4Fixed = 0x0018;  // bits 3-4 set
constexpr std::uint16_t kW4Bit5 = 0x0020;
constexpr std::uint16_t kW4Set = 0x0040 | 0x0100 | 0x0400;
constexpr std::uint16_t kW4Bit9 = 0x0200;
constexpr std::uint16_t kW4Bit7 = 0x0080;
constexpr std::uint16_t kW5Bit0 = 0x0001;
constexpr std::uint16_t kW5Bits1To3 = 0x000E;
constexpr unsigned kW5DivShift = 4;
constexpr std::uint16_t kW5Div = 0x0030;
constexpr unsigned kW5PostShift = 6;
constexpr std::uint16_t kW5Post = 0x00C0;
constexpr std::uint16_t kW5PostHalved = 2;
constexpr std::uint16_t kW5PostFull = 3;
constexpr std::uint16_t kW5LeadLag = 0x0100;
constexpr std::uint16_t kW5Given = 0x0200;
constexpr std::uint16_t kW6Option = 0x0008;
constexpr std::uint16_t kW6Low = 0x0007;
constexpr std::uint16_t kW6Bit4 = 0x0010;
constexpr std::uint16_t kW6Set = 0x0020 | 0x0400;
constexpr std::uint16_t kW6Bits6To9 = 0x03C0;
constexpr std::uint8_t kLeadLagBit = 0x01;
constexpr std::uint8_t kOptionBit = 0x08;

void SetField(std::uint16_t* word, std::uint16_t mask, std::uint16_t value) {
  *word = static_cast<std::uint16_t>((*word & ~mask) | (value & mask));
}

const Band& BandOf(float mhz) {
  const Band* b = kBands;
  while (b != std::end(kBands) - 1 && mhz >= b->below_mhz) ++b;
  return *b;
}

bool Positive(float v) { return std::isfinite(v) && v > 0; }

}  // namespace

CameraPll& CurrentCameraPll() { return g_state.camera_pll; }

bool DerivePllWords(const CameraTiming& timing, CameraPll* pll) {
  // By value: the record is packed.
  std::uint16_t total = timing.pixels_per_line;
  float period = timing.line_period_us;
  float given = timing.pixel_clock_mhz;
  bool clockGiven = (timing.clock_mode & kClockModeBits) == kPixelClockGiven;
  float mhz, khz;
  if (clockGiven) {
    // A clock and a line total are both needed to tell the line frequency.
    if (!Positive(given) || total == 0) return false;
    mhz = given;
    khz = mhz / total * 1000.0f;
  } else {
    if (!Positive(period) || period < kMinLinePeriodUs || total >= kMaxLineTotal) return false;
    mhz = total / period;
    khz = 1000.0f / period;
  }
  if (mhz > kMaxPixelClockMhz) return false;

  pll->line_khz = khz;
  std::uint16_t* w = pll->words;
  if (clockGiven) {
    w[0] = static_cast<std::uint16_t>((w[0] & kW0GivenKeep) | kW0GivenTotal);
    w[3] = static_cast<std::uint16_t>((w[3] & ~kW3Low) | kW3GivenLow);
    w[4] |= kW4Bit9;
    w[5] |= kW5Post;
  } else {
    bool halved = total >= kHalvedTotal;
    SetField(&w[0], kW0Total, static_cast<std::uint16_t>((halved ? total / 2 : total) - 1));
    SetField(&w[5], kW5Post, static_cast<std::uint16_t>((halved ? kW5PostHalved : kW5PostFull) << kW5PostShift));
    w[4] |= kW4Bit9;
    SetField(&w[3], kW3Low, 0);
  }
  const Band& band = BandOf(mhz);
  SetField(&w[4], kW4Vco, clockGiven ? band.given_vco : band.vco);
  SetField(&w[5], kW5Div, static_cast<std::uint16_t>((clockGiven ? band.given_div : band.div) << kW5DivShift));
  w[4] = static_cast<std::uint16_t>((w[4] & ~kW4Bit5) | kW4Fixed);

  SetField(&w[1], kW1W2LowByte, kW1Value);
  SetField(&w[2], kW1W2LowByte, kW2Value);
  w[3] &= static_cast<std::uint16_t>(~kW3Bit10);
  w[4] = static_cast<std::uint16_t>((w[4] & ~kW4Bit7) | kW4Set);
  w[5] = static_cast<std::uint16_t>((w[5] & ~kW5Bits1To3) | kW5Bit0);
  w[6] = static_cast<std::uint16_t>((w[6] & ~(kW6Bit4 | kW6Bits6To9)) | kW6Set);

  SetField(&w[5], kW5Given, clockGiven ? kW5Given : 0);
  SetField(&w[5], kW5LeadLag, (timing.lead_lag & kLeadLagBit) ? kW5LeadLag : 0);
  SetField(&w[6], kW6Option, (timing.lead_lag & kOptionBit) ? kW6Option : 0);
  w[6] &= static_cast<std::uint16_t>(~kW6Low);
  return true;
}

CameraPll StandardPll(std::uint8_t standard) {
  const StandardTiming& s = kStandardTimings[standard ? 1 : 0];
  CameraTiming timing{};
  timing.pixels_per_line = s.total;
  timing.line_period_us = s.period_us;
  CameraPll pll{};
  DerivePllWords(timing, &pll);
  return pll;
}

void SetClockRange(float khz, std::uint8_t apply) {
  std::uint8_t range = 0;
  if (khz >= 48)
    range = kRangeFrom48;
  else if (khz >= 24)
    range = kRange24To48;
  else if (khz >= 12)
    range = kRange12To24;
  const auto keep = static_cast<std::uint8_t>(~kRangeBits);
  if (apply == 1) {
    KT6ModifyCtrlReg(kCtrlLineRange, keep, range);
  } else {
    std::uint8_t& shadow = g_state.config.control_registers[kCtrlLineRange];
    StoreShadow(shadow, static_cast<std::uint8_t>((LoadShadow(shadow) & keep) | range));
  }
}

bool ProgramPixelClock(const CameraTiming& timing) {
  CameraPll derived = CurrentCameraPll();
  if (!DerivePllWords(timing, &derived)) return false;
  SetClockRange(derived.line_khz, 0);
  CurrentCameraPll() = derived;
  if ((timing.clock_mode & pll::kClockModeBits) == pll::kPixelClockGiven)
    KT6SetSerialReg(frontend::kPhaseTrimming, timing.phase_trimming);
  return true;
}

}  // namespace kt6

std::int32_t KT6SetClockRange(float khz, std::uint8_t apply) {
  kt6::SetClockRange(khz, apply);
  return KT6_OK;
}

std::int32_t KT6SetPixelClock(const CameraTiming* timing) {
  using namespace kt6;
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (g_state.board_type < 4) return KT6_ERR_NOT_SUPPORTED;
  if (!timing) return KT6_ERR_PARAMETER;
  return ProgramPixelClock(*timing) ? KT6_OK : KT6_ERR_PARAMETER;
}
