// The camera interface's PLL (board types 4 and 5): the line-frequency range in
// board-control register 2 and the seven words of the PLL's serial DACs, derived
// from a camera's timing. The current camera's words and line frequency wait in
// the library state for the next KT6SetDACWords of that camera.
#pragma once

#include <cstdint>

#include "kt6sdk/front_end.h"
#include "kt6sdk/kt6_records.h"
#include "kt6sdk/library_state.h"

namespace kt6 {

namespace pll {
constexpr std::uint8_t kCtrlLineRange = 2;  // board-control register
constexpr std::uint8_t kRangeBits = 0x60;
constexpr std::uint8_t kRange12To24 = 0x20;
constexpr std::uint8_t kRange24To48 = 0x40;
constexpr std::uint8_t kRangeFrom48 = 0x60;
constexpr float kStandardLineKhz = 15.7f;
constexpr std::uint8_t kClockModeBits = 0x07;
constexpr std::uint8_t kPixelClockGiven = 2;
constexpr float kMaxPixelClockMhz = 45.0f;
}  // namespace pll

static_assert(kPllWords == frontend::kDacWordCount);

// The current camera's PLL words and line frequency.
CameraPll& CurrentCameraPll();

// The PLL words and line frequency of the 525- and 625-line standards (0 or 1).
CameraPll StandardPll(std::uint8_t standard);

// The line-frequency range for `khz` in the register's shadow, and in the register
// itself when `apply` is 1.
void SetClockRange(float khz, std::uint8_t apply);

// The words derived from `timing` into `pll`; false (nothing changed) for a timing
// no PLL setting fits.
bool DerivePllWords(const CameraTiming& timing, CameraPll* pll);
// KT6SetPixelClock without its checks of the board: the current camera's words and
// line range from the timing (false, nothing changed, for a timing none fits).
bool ProgramPixelClock(const CameraTiming& timing);

}  // namespace kt6
