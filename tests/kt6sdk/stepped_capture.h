// An opened and initialised board whose fields come one at a time, each served by
// the library's interrupt thread before the next, and the field numbers the capture
// buffer holds.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "sim/video/test_pattern.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace kt6_testing {

class SteppedCapture : public Kt6Test {
 protected:
  sim::Kt650Board& OpenStepped(std::uint8_t type, const std::string& ini = "") {
    sim::MachineDescription desc = OneBoard(type >= 3 ? sim::kt650::kChip8A22 : sim::kt650::kChip8A01, type);
    desc.kt650_boards[0].timing.field_period_us = 5000;
    sim::Machine& m = Boot(desc);
    WriteIni(std::string(kQuickIni) + ini);
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    board_ = &m.kt650(0);
    board_->field_clock().Stop();
    return *board_;
  }

  // The next field: its vertical sync, served. Gives the field's number.
  std::uint32_t Field() {
    std::uint32_t count = board_->field_clock().field_count();
    board_->field_clock().Step(1);
    EXPECT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
    return count;
  }
  void Fields(int n) {
    for (int i = 0; i < n; ++i) Field();
  }

  // The field numbers stamped into the capture buffer's first two rows (one of each
  // field), lower first.
  std::vector<std::uint32_t> Landed() {
    std::uint32_t offset = 0;
    std::uint16_t width = 0, height = 0;
    EXPECT_EQ(KT6GetVideoFrame(nullptr, &offset, &width, &height), 0);
    BoardConfig c;
    EXPECT_EQ(KT6InquireConfig(&c), 0);
    const BYTE* base = reinterpret_cast<const BYTE*>(std::uintptr_t(KT6GetVRAMBase(nullptr))) + offset;
    std::vector<std::uint32_t> counts{Stamp(base), Stamp(base + c.line_pitch)};
    std::sort(counts.begin(), counts.end());
    return counts;
  }

  static std::uint32_t Stamp(const BYTE* line) {
    std::uint32_t n = 0;
    for (int b = 0; b < sim::kStampBits; ++b)
      if (line[4 * b] > 128) n |= 1u << b;
    return n;
  }

  sim::Kt650Board* board_ = nullptr;
};

}  // namespace kt6_testing
