// General-purpose I/O register B of the bridge, the hook of its table entry: the
// external event and trigger inputs with their polarity and latches, the strobe
// output and the field-parity bit (rg700_registers.h names the bits).
//
// The latches and the parity are read only; a write with a latch's enable low
// clears the latch. A latch is set by the input becoming active while its enable is
// set, whether the line moved or its polarity bit was flipped, and raises the
// decoder interrupt.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "sim/register_table.h"

namespace sim {

class Rg700Board;

// The strobe output during one field.
struct StrobeField {
  std::uint64_t field;  // the field count of the clock
  bool level_at_start;
  bool seen_low;
  bool seen_high;
};

class PLATFORM_EXPORT Rg700Gio : public RegisterHook {
 public:
  static constexpr std::size_t kHistoryLimit = 1 << 16;

  // `parityHighOnOdd`: the decoder drives the parity line high during odd fields.
  Rg700Gio(Rg700Board& board, bool parityHighOnOdd);

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
