// The strobe output and the trigger and event inputs of a 650-series board.
//
// Inputs. Types 3-5 have four input lines; board-control register 21 gives the
// event's line (bits 0-1) and the trigger's (bits 2-3). An active edge is a rising
// edge of the line's level XOR its polarity bit, so that flipping the polarity bit
// is an edge too. Line k's active edge (polarity: register 8 bit 0x08 >> k) raises
// source 0x2000 >> k while register 19 arms it (bit 0x10 >> k); the trigger line's
// active edge, with the trigger's own polarity (register 8 bit 4), raises source
// 0x4000 while register 19 bit 5 arms it. Types 1-2 have one event input (polarity
// in control-port register 2 bit 1, on while register 1 bit 1 is set) raising
// 0x2000, and one trigger input (register 2 bit 0, register 1 bit 0) raising
// 0x4000. The trigger never raises 0x8000 here. A source that fired stays masked
// until it is armed again: on types 3-5 by a write of register 19 with its bit set,
// on types 1-2 by its register-1 bit going from 0 to 1. What is raised then passes
// the interrupt enables of the board (kt650_interrupt_gate.h) and the driver.
//
// Outputs. Types 3-5 have four outputs: output k is (k is the strobe's line,
// register 21 bits 4-5, and the strobe is active) XOR register 14 bit k, so that
// register 14 drives the other lines as plain outputs. The strobe is active while
// register 10 bit 7 and CRTC 0x5C bit 0 are both set, or during a pulse of the
// board's counters. Types 1-2 have one output: active XOR control-port register 2
// bit 5; active is register 1 bit 2 while register 2 bit 2 (the library counts the
// delay) is set, else a pulse of the board's counter.
//
// The counters count fields: one count per vertical sync.
//   Types 3-5: the event line's active edge, while register 10 bit 4 and register
//   14 bit 5 are clear, starts a pulse delay = register 11 | register 14 bits 6-7
//   << 8 fields later (0: at the edge) that lasts width = register 13 << 8 |
//   register 12 fields (0: no pulse). With register 14 bit 4 a second pulse of the
//   same width follows one width after the first ends.
//   Types 1-2: the event input's active edge, while register 1 bit 2 arms the
//   counter and register 2 bit 2 is clear, starts a pulse at once that lasts
//   (register 4 bits 0-1) << 8 | the data latch's last byte fields, one more on
//   board revision 16. Each arming gives one pulse: register 1 bit 2 going from 0
//   to 1 arms it again.
// An edge while a pulse is pending or running is ignored. Every change of an
// output is recorded with the number of the field it happened in.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/win_types.h"
#include "sim/kt650/kt650_landed_write.h"
#include "sim/kt650/kt650_registers.h"

namespace sim {

struct Kt650OutputChange {
  unsigned line;
  bool level;
  std::uint32_t field;
  bool operator==(const Kt650OutputChange&) const = default;
};

// The registers that steer the lines, as the board's devices hold them now.
struct Kt650LineRegisters {
  std::array<std::uint8_t, kt650::kBoardControlCount> control{};  // types 3-5
  std::array<std::uint8_t, kt650::kPortRegisterCount> port{};     // types 1-2
  std::uint8_t latch = 0;                                         // the data latch's last byte
  std::uint8_t crtc_general_output = 0;
};

class PLATFORM_EXPORT Kt650Lines {
 public:
  Kt650Lines(std::uint8_t type, std::uint8_t revision);

  // Each returns the sources the edges raised, for the interrupt enables to let out.
  // An input's level from a test.
  std::uint16_t SetInput(unsigned line, bool level, const Kt650LineRegisters& r, std::uint32_t field);
  // After host writes: the registers as they are now and the device registers that
  // landed meanwhile (board control on types 3-5, control port on types 1-2).
  std::uint16_t Observe(const Kt650LineRegisters& r, const std::vector<Kt650LandedWrite>& writes, std::uint32_t field);
  // Field `field` begins: the counters advance.
  void FieldBegins(const Kt650LineRegisters& r, std::uint32_t field);

  bool Input(unsigned line) const { return line < inputs_.size() && inputs_[line]; }
  bool Output(unsigned line) const { return line < outputs_.size() && outputs_[line]; }
  const std::vector<Kt650OutputChange>& changes() const { return changes_; }
  void ClearChanges() { changes_.clear(); }

 private:
  // A pulse of the board's counters: active in [begin, end) and, when double, again
  // one width after it ends, in [end + width, end + 2 * width).
  struct Pulse {
    bool set = false;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    bool twice = false;
    bool ActiveAt(std::uint32_t field) const;
    bool OverAt(std::uint32_t field) const;
  };

  bool FourLines() const { return type_ >= kt650::kFirstType8A22; }
  // Each input's signal (level XOR polarity); on types 3-5 the trigger's is index 4.
  std::array<bool, kt650::kLineCount + 1> Signals(const Kt650LineRegisters& r) const;
  std::uint16_t Edges(const Kt650LineRegisters& r, std::uint32_t field);
  std::uint16_t Fire(std::uint16_t source, bool armed);
  void StartPulse(const Kt650LineRegisters& r, std::uint32_t field);
  void Rearm(const std::vector<Kt650LandedWrite>& writes);
  void UpdateOutputs(const Kt650LineRegisters& r, std::uint32_t field);

  const std::uint8_t type_;
  const std::uint8_t revision_;
  std::array<bool, kt650::kLineCount> inputs_{};
  std::array<bool, kt650::kLineCount + 1> signals_{};
  std::array<bool, kt650::kLineCount> outputs_{};
  std::uint16_t masked_ = 0;       // sources that fired and wait to be armed again
  std::uint8_t port_control_ = 0;  // control-port register 1 as last seen
  bool counter_armed_ = false;     // types 1-2
  Pulse pulse_;
  std::vector<Kt650OutputChange> changes_;
};

}  // namespace sim
