#include "sim/kt650/kt650_bit_serial.h"

#include "sim/bounded_log.h"

namespace sim {

using namespace kt650;

namespace {

constexpr unsigned kIndexBits = 3;
constexpr unsigned kDacValueBits = 11;
constexpr unsigned kRegValueBits = 8;
constexpr unsigned kFrameWordBits = 32;

// `n` bits from arrival position `from`, the first arrived the most significant.
std::uint32_t MsbFirst(std::uint32_t bits, unsigned from, unsigned n) {
  std::uint32_t v = 0;
  for (unsigned i = 0; i < n; ++i) v = (v << 1) | ((bits >> (from + i)) & 1);
  return v;
}

std::uint32_t LsbFirst(std::uint32_t bits, unsigned from, unsigned n) { return (bits >> from) & ((1u << n) - 1); }

}  // namespace

void Kt650BitSerial::Sample(Receiver& r, bool bit) {
  if (r.count < kFrameWordBits && bit) r.bits |= 1u << r.count;
  ++r.count;
}

void Kt650BitSerial::Drive(const Kt650SerialLines& lines) {
  std::lock_guard lock(mutex_);
  bool rising = lines.clock && !clock_;
  clock_ = lines.clock;
  // A select that drops ends its frame; one that rises starts an empty one.
  if (dac_.selected && !lines.dac_select) EndFrame(Kt650SerialChannel::kDacWord, dac_);
  if (reg_.selected && !lines.reg_select) EndFrame(Kt650SerialChannel::kSerialRegister, reg_);
  if (!dac_.selected && lines.dac_select) dac_ = Receiver{true, 0, 0};
  if (!reg_.selected && lines.reg_select) reg_ = Receiver{true, 0, 0};
  if (!rising) return;
  if (dac_.selected) Sample(dac_, lines.dac_data);
  if (reg_.selected) Sample(reg_, lines.reg_data);
}

void Kt650BitSerial::EndFrame(Kt650SerialChannel channel, Receiver& r) {
  Kt650BitFrame frame{channel, r.count, r.bits, false};
  r = Receiver{};
  if (channel == Kt650SerialChannel::kDacWord) {
    // The leading 0 bit is part of the frame.
    if (frame.length == kDacWordFrameBits && !(frame.bits & 1)) {
      auto index = LsbFirst(frame.bits, 1, kIndexBits);
      if (index < kDacWordSlots) {
        dac_words_[index] = static_cast<std::uint16_t>(LsbFirst(frame.bits, 1 + kIndexBits, kDacValueBits));
        frame.taken = true;
      }
    }
  } else if (frame.length == kSerialRegFrameBits) {
    auto index = MsbFirst(frame.bits, 0, kIndexBits);
    if (index < kSerialRegisterSlots) {
      serial_registers_[index] = static_cast<std::uint8_t>(MsbFirst(frame.bits, kIndexBits, kRegValueBits));
      frame.taken = true;
    }
  }
  AppendBounded(frames_, frame);
}

std::uint16_t Kt650BitSerial::DacWord(unsigned index) const {
  std::lock_guard lock(mutex_);
  return index < kDacWordSlots ? dac_words_[index] : 0;
}

std::uint8_t Kt650BitSerial::SerialRegister(unsigned index) const {
  std::lock_guard lock(mutex_);
  return index < kSerialRegisterSlots ? serial_registers_[index] : 0;
}

std::vector<Kt650BitFrame> Kt650BitSerial::Frames() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

std::vector<Kt650BitFrame> Kt650BitSerial::BadFrames() const {
  std::lock_guard lock(mutex_);
  std::vector<Kt650BitFrame> bad;
  for (const Kt650BitFrame& f : frames_)
    if (!f.taken) bad.push_back(f);
  return bad;
}

}  // namespace sim
