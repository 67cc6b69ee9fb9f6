#include "sim/kt650/kt650_lines.h"

#include "sim/bounded_log.h"

namespace sim {

using namespace kt650;

namespace {

constexpr unsigned kTriggerSignal = kLineCount;  // types 3-5: after the four lines
constexpr unsigned kPortLines = 2;               // types 1-2: the event and the trigger input

std::uint16_t LineSource(unsigned line) { return static_cast<std::uint16_t>(kSourceLine0 >> line); }
std::uint8_t ArmBit(std::uint16_t source) { return static_cast<std::uint8_t>(source >> kLineArmShift); }

unsigned AssignedLine(const Kt650LineRegisters& r, unsigned shift) {
  return (r.control[kBcLineAssignment] >> shift) & kBcLineBits;
}

}  // namespace

bool Kt650Lines::Pulse::ActiveAt(std::uint32_t field) const {
  if (!set) return false;
  std::uint32_t width = end - begin;
  return (field >= begin && field < end) || (twice && field >= end + width && field < end + 2 * width);
}

bool Kt650Lines::Pulse::OverAt(std::uint32_t field) const {
  return !set || field >= (twice ? end + 2 * (end - begin) : end);
}

Kt650Lines::Kt650Lines(std::uint8_t type, std::uint8_t revision) : type_(type), revision_(revision) {}

std::array<bool, kLineCount + 1> Kt650Lines::Signals(const Kt650LineRegisters& r) const {
  std::array<bool, kLineCount + 1> s{};
  if (FourLines()) {
    std::uint8_t polarity = r.control[kBcInputControl];
    for (unsigned k = 0; k < kLineCount; ++k) s[k] = inputs_[k] != ((polarity & (kBcLine0Polarity >> k)) != 0);
    s[kTriggerSignal] = inputs_[AssignedLine(r, kBcTriggerLineShift)] != ((polarity & kBcTriggerPolarity) != 0);
  } else {
    std::uint8_t setup = r.port[kPortSetup];
    s[kEventInput] = inputs_[kEventInput] != ((setup & kPortEventPolarity) != 0);
    s[kTriggerInput] = inputs_[kTriggerInput] != ((setup & kPortTriggerPolarity) != 0);
  }
  return s;
}

std::uint16_t Kt650Lines::Fire(std::uint16_t source, bool armed) {
  if (!armed || (masked_ & source)) return 0;
  masked_ |= source;
  return source;
}

std::uint16_t Kt650Lines::Edges(const Kt650LineRegisters& r, std::uint32_t field) {
  std::array<bool, kLineCount + 1> now = Signals(r);
  auto rising = [&](unsigned i) { return now[i] && !signals_[i]; };
  std::uint16_t raised = 0;
  if (FourLines()) {
    std::uint8_t arm = r.control[kBcLineArm];
    for (unsigned k = 0; k < kLineCount; ++k) {
      if (!rising(k)) continue;
      raised |= Fire(LineSource(k), arm & ArmBit(LineSource(k)));
      if (k == AssignedLine(r, kBcEventLineShift)) StartPulse(r, field);
    }
    if (rising(kTriggerSignal)) raised |= Fire(kSourceTrigger, arm & ArmBit(kSourceTrigger));
  } else {
    std::uint8_t control = r.port[kPortLineControl];
    if (rising(kEventInput)) {
      raised |= Fire(kSourceLine0, control & kPortEventOn);
      StartPulse(r, field);
    }
    if (rising(kTriggerInput)) raised |= Fire(kSourceTrigger, control & kPortTriggerOn);
  }
  signals_ = now;
  return raised;
}

void Kt650Lines::StartPulse(const Kt650LineRegisters& r, std::uint32_t field) {
  if (!pulse_.OverAt(field)) return;
  Pulse p;
  std::uint32_t delay = 0, width = 0;
  if (FourLines()) {
    std::uint8_t output = r.control[kBcOutputControl];
    if ((r.control[kBcStrobeControl] & kBcStrobeGateOff) || (output & kBcLibraryWidth)) return;
    delay = r.control[kBcDelayCount] | std::uint32_t(output >> kBcDelayHighShift) << 8;
    width = std::uint32_t(r.control[kBcWidthHigh]) << 8 | r.control[kBcWidthLow];
    p.twice = (output & kBcDoublePulse) != 0;
  } else {
    if (!counter_armed_ || (r.port[kPortSetup] & kPortLibraryDelay)) return;
    width = std::uint32_t(r.port[kPortWidth] & kPortWidthHighBits) << 8 | r.latch;
    if (revision_ == kRevisionCountsOneMore) ++width;
    counter_armed_ = false;
  }
  if (width == 0) return;
  p.set = true;
  p.begin = field + delay;
  p.end = p.begin + width;
  pulse_ = p;
}

void Kt650Lines::Rearm(const std::vector<Kt650LandedWrite>& writes) {
  for (const Kt650LandedWrite& w : writes) {
    if (FourLines()) {
      if (w.reg == kBcLineArm) masked_ &= static_cast<std::uint16_t>(~(std::uint32_t{w.value} << kLineArmShift));
      continue;
    }
    if (w.reg != kPortLineControl) continue;
    auto rising = static_cast<std::uint8_t>(w.value & ~port_control_);
    port_control_ = w.value;
    if (rising & kPortEventOn) masked_ &= static_cast<std::uint16_t>(~kSourceLine0);
    if (rising & kPortTriggerOn) masked_ &= static_cast<std::uint16_t>(~kSourceTrigger);
    if (rising & kPortStrobeOn) counter_armed_ = true;
  }
}

void Kt650Lines::UpdateOutputs(const Kt650LineRegisters& r, std::uint32_t field) {
  std::array<bool, kLineCount> now{};
  if (FourLines()) {
    bool software = (r.control[kBcStrobeControl] & kBcSoftwareStrobe) && (r.crtc_general_output & kCrtcStrobeOn);
    bool active = software || pulse_.ActiveAt(field);
    unsigned strobeLine = AssignedLine(r, kBcStrobeLineShift);
    for (unsigned k = 0; k < kLineCount; ++k)
      now[k] = (k == strobeLine && active) != ((r.control[kBcOutputControl] & (1u << k)) != 0);
  } else {
    std::uint8_t setup = r.port[kPortSetup];
    bool active =
        (setup & kPortLibraryDelay) ? (r.port[kPortLineControl] & kPortStrobeOn) != 0 : pulse_.ActiveAt(field);
    now[0] = active != ((setup & kPortStrobePolarity) != 0);
  }
  for (unsigned k = 0; k < kLineCount; ++k) {
    if (now[k] == outputs_[k]) continue;
    outputs_[k] = now[k];
    AppendBounded(changes_, Kt650OutputChange{k, now[k], field});
  }
}

std::uint16_t Kt650Lines::SetInput(unsigned line, bool level, const Kt650LineRegisters& r, std::uint32_t field) {
  if (type_ < kFirstType8A01 || line >= (FourLines() ? kLineCount : kPortLines)) return 0;
  inputs_[line] = level;
  std::uint16_t raised = Edges(r, field);
  UpdateOutputs(r, field);
  return raised;
}

std::uint16_t Kt650Lines::Observe(const Kt650LineRegisters& r, const std::vector<Kt650LandedWrite>& writes,
                                  std::uint32_t field) {
  if (type_ < kFirstType8A01) return 0;
  Rearm(writes);
  std::uint16_t raised = Edges(r, field);
  UpdateOutputs(r, field);
  return raised;
}

void Kt650Lines::FieldBegins(const Kt650LineRegisters& r, std::uint32_t field) {
  if (type_ < kFirstType8A01) return;
  UpdateOutputs(r, field);
}

}  // namespace sim
