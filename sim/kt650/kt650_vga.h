// The VGA ports of the 650-series board (0x3B0-0x3DF), reached as x86 ports and as
// bytes of the register window: the sequencer and CRTC register files behind their
// index and data ports, input status 1 with the vertical retrace of the display's
// refresh, and plain bytes for the other ports. The board's lock guards every call.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "sim/kt650/kt650_registers.h"
#include "sim/register_table.h"

namespace sim {

// What the CRTC's identity registers answer.
struct Kt650CrtcIdentity {
  std::uint8_t chip_revision;
  std::uint8_t memory_code;  // bits 5-7 of CRTC 0x36
  std::uint32_t board_id;    // bytes 0..3
};

class Kt650Vga {
 public:
  // sequencerTable: the sequencer registers with behaviour, which the board gives.
  Kt650Vga(const Kt650CrtcIdentity& identity, std::uint32_t refreshHz, std::vector<RegisterInfo> sequencerTable);

  static bool Holds(std::uint32_t port) {
    return port >= kt650::kFirstVgaPort && port - kt650::kFirstVgaPort < kt650::kVgaPortCount;
  }

  // Host accesses of one port, with their side effects.
  std::uint8_t Read(std::uint16_t port);
  void Write(std::uint16_t port, std::uint8_t value);
  // What a read would give, without side effects (tests).
  std::uint8_t Peek(std::uint16_t port) const;

  RegisterFile& crtc() { return crtc_; }
  const RegisterFile& crtc() const { return crtc_; }
  RegisterFile& sequencer() { return sequencer_; }
  const RegisterFile& sequencer() const { return sequencer_; }

  void SetRefreshRate(std::uint32_t hz);

 private:
  std::uint8_t InputStatus1() const;

  RegisterFile sequencer_;
  RegisterFile crtc_;
  std::uint8_t sequencer_index_ = 0;
  std::uint8_t crtc_index_ = 0;
  std::array<std::uint8_t, kt650::kVgaPortCount> ports_{};
  std::chrono::nanoseconds period_;
  std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
};

}  // namespace sim
