#include "sim/kt650/kt650_interrupt_gate.h"

#include "sim/kt650/kt650_registers.h"

namespace sim {

using namespace kt650;

namespace {

std::uint16_t ChipEnabled(std::uint8_t type, const Kt650InterruptEnables& e) {
  std::uint32_t sources = (e.interrupt_control & kInterruptEnableBits) >> kInterruptEnableShift;
  std::uint32_t v = e.source_enables;
  if (type >= kFirstType8A22) {
    sources |= (v & kSourceEnableBits) << kSourceEnableShift;
  } else {
    sources |= (v & kPackedSource8) ? kSource8 : 0;
    sources |= ((v & kPackedSources4To7) >> kPackedSources4To7Shift) & kSources4To7;
    sources |= ((v & kPackedSources9To10) >> kPackedSources9To10Shift) & kSources9To10;
  }
  if (!(e.crtc_interrupt & kChipInterruptOn)) sources &= ~std::uint32_t{kCrtcGatedSources};
  return static_cast<std::uint16_t>(sources & kChipSources);
}

std::uint16_t LinesEnabled(std::uint8_t type, const Kt650InterruptEnables& e) {
  if (type >= kFirstType8A22) return static_cast<std::uint16_t>((e.line_enables << kBcLineShift) & kLineSources);
  if (type >= kFirstType8A01 && (e.line_control & kPortLinesOn))
    return static_cast<std::uint16_t>((e.line_enables << kPortLineShift) & kPortLineSources);
  return 0;
}

}  // namespace

std::uint16_t Kt650SourcesLetOut(std::uint8_t type, const Kt650InterruptEnables& enables, std::uint16_t raised) {
  std::uint16_t chip = ChipEnabled(type, enables);
  std::uint16_t lines = LinesEnabled(type, enables);
  // Source 10 is both a chip source and a line: it needs both.
  std::uint16_t open = static_cast<std::uint16_t>((chip & ~kLineSources) | (lines & ~kChipSources) | (chip & lines));
  return raised & open;
}

}  // namespace sim
