// General-purpose I/O register B of the bridge (register 161): the external event
// and trigger inputs with their polarity and latches, the strobe output and the
// field-parity bit.
//
// Bits: 0x01 event latched and 0x02 trigger latched (read only; a write with the
// latch enable 0x08 or 0x20 low clears them), 0x04 and 0x10 the polarities (set:
// the input is active high), 0x40 the strobe output level, 0x80 the decoder's field
// parity (read only). A latch is set by the input becoming active while its enable
// is set, whether the line moved or its polarity bit was flipped, and raises the
// decoder interrupt 0x800.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "sim/rg700/rg700_board.h"

namespace sim {

// The strobe output during one field.
struct StrobeField {
  std::uint64_t field;  // the field count of the clock
  bool level_at_start;
  bool seen_low;
  bool seen_high;
};

class PLATFORM_EXPORT Rg700Gio : public Rg700RegisterHook {
 public:
  static constexpr std::uint32_t kRegister = 161;
  static constexpr std::uint32_t kEventLatched = 0x01;
  static constexpr std::uint32_t kTriggerLatched = 0x02;
  static constexpr std::uint32_t kEventPolarity = 0x04;
  static constexpr std::uint32_t kEventLatchEnable = 0x08;
  static constexpr std::uint32_t kTriggerPolarity = 0x10;
  static constexpr std::uint32_t kTriggerLatchEnable = 0x20;
  static constexpr std::uint32_t kStrobe = 0x40;
  static constexpr std::uint32_t kFieldParity = 0x80;
  static constexpr std::uint32_t kDecoderInterrupt = 0x800;
  static constexpr std::size_t kHistoryLimit = 1 << 16;

  // `parityHighOnOdd`: the decoder drives the parity line high during odd fields.
  Rg700Gio(Rg700Board& board, bool parityHighOnOdd);

  bool Handles(std::uint32_t index) const override { return index == kRegister; }
  std::uint32_t OnRead(std::uint32_t index, std::uint32_t stored) override;
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;
  std::uint32_t TakeRaisedInterrupts() override;

  // The lines outside the board (test side). A line moved to its active level with
  // the latch enabled latches and interrupts.
  void SetEventInput(bool high);
  void SetTriggerInput(bool high);
  bool strobe() const;
  // One entry per field the clock produced, oldest first (bounded); the last is
  // the field in progress.
  std::vector<StrobeField> StrobeHistory() const;
  // How often each latch was set.
  std::uint32_t event_latches() const;
  std::uint32_t trigger_latches() const;

  // Clock side: a field begins.
  void BeginField(std::uint64_t field, bool odd);

 private:
  struct Line {
    bool high = false;
    bool active = false;
    std::uint32_t latches = 0;
  };
  // Re-evaluates both inputs under the current control bits; returns the
  // interrupt bits a new latch raises.
  std::uint32_t EvaluateLocked();
  void NoteStrobeLocked();

  Rg700Board& board_;
  const bool parity_high_on_odd_;
  mutable std::mutex mutex_;
  std::uint32_t control_ = 0;  // last value written by the host
  std::uint32_t latched_ = 0;
  std::uint32_t raised_ = 0;
  bool odd_ = true;
  Line event_;
  Line trigger_;
  bool field_open_ = false;
  StrobeField current_{};
  std::deque<StrobeField> history_;
};

}  // namespace sim
