// The memory clock PLL in sequencer registers 0x10 (R in bits 5-7, N in bits 0-4)
// and 0x11 (M): f = (M + 2) / ((N + 2) x 2^R) x 14.318 MHz. New values take effect
// on a pulse of bit 0 of sequencer register 0x15.
#include <cmath>

#include "kt6sdk/clocks.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"

namespace kt6 {
namespace {

constexpr float kReferenceMhz = 14.318f;
constexpr std::uint8_t kSrPllRn = vga::kSrMemoryClockRn;
constexpr std::uint8_t kSrPllM = vga::kSrMemoryClockM;
constexpr std::uint8_t kSrPllControl = 0x15;
constexpr std::uint8_t kPllLoad = 0x01;
constexpr std::uint8_t kPllControlClear = 0x20;
constexpr unsigned kRShift = 5;
constexpr std::uint8_t kNBits = 0x1F;
// The PLL's output range before the post divider 2^R.
constexpr float kVcoLow = 135.0f;
constexpr float kVcoHigh = 270.0f;
constexpr float kTolerance = 0.005f;

std::uint8_t Sequencer(std::uint8_t index) {
  return static_cast<std::uint8_t>(KT6ProgramIORead(vga::kSequencerIndex, index));
}
void SetSequencer(std::uint8_t index, std::uint8_t value) { KT6ProgramIOWrite(vga::kSequencerIndex, index, value); }

bool Opened() { return g_state.opened.load() != 0; }

}  // namespace

float MemoryClockMhz() {
  std::uint8_t rn = Sequencer(kSrPllRn);
  std::uint8_t m = Sequencer(kSrPllM);
  unsigned r = rn >> kRShift;
  unsigned n = rn & kNBits;
  return static_cast<float>(m + 2) / static_cast<float>((n + 2) << r) * kReferenceMhz;
}

bool SetMemoryClockMhz(float mhz) {
  int r = 0;
  while (r < 4 && !(mhz * float(1 << r) > kVcoLow && mhz * float(1 << r) < kVcoHigh)) ++r;
  if (r == 4) return false;
  // The first N whose M brings the clock within the tolerance; the last N when none.
  unsigned n = 1, m = 0;
  for (;; ++n) {
    m = static_cast<unsigned>(std::trunc(float(n + 2) * float(1 << r) * mhz / kReferenceMhz - 2.0f));
    float g = float(m + 2) * kReferenceMhz / float((n + 2) << r);
    if (n == kNBits || (g > (1 - kTolerance) * mhz && g < (1 + kTolerance) * mhz)) break;
  }
  WritePll(static_cast<std::uint8_t>(r << kRShift | n), static_cast<std::uint8_t>(m));
  return true;
}

void WritePll(std::uint8_t sr10, std::uint8_t sr11) {
  std::lock_guard lock(IndexedRegisterLock());
  SetSequencer(kSrPllControl, Sequencer(kSrPllControl) & ~kPllControlClear);
  SetSequencer(kSrPllRn, sr10);
  SetSequencer(kSrPllM, sr11);
  SetSequencer(kSrPllControl, Sequencer(kSrPllControl) | kPllLoad);
  SetSequencer(kSrPllControl, Sequencer(kSrPllControl) & ~kPllLoad);
}

}  // namespace kt6

using namespace kt6;

std::int32_t KT6GetMemoryClock(float* mhz) {
  if (!Opened()) return KT6_ERR_GENERAL;
  if (!mhz) return KT6_ERR_PARAMETER;
  *mhz = MemoryClockMhz();
  return KT6_OK;
}

std::int32_t KT6SetMemoryClock(float mhz) {
  if (!Opened()) return KT6_ERR_GENERAL;
  return SetMemoryClockMhz(mhz) ? KT6_OK : KT6_ERR_PARAMETER;
}

std::int32_t KT6WritePLL(std::uint8_t sr10, std::uint8_t sr11) {
  if (!Opened()) return KT6_ERR_GENERAL;
  WritePll(sr10, sr11);
  return KT6_OK;
}
