// Boards for the trigger, event and other-event tests: set up as an init leaves
// them (no interrupt thread), or opened with the interrupt thread and fields that
// come only when a test raises them; and a callback that records what it is told.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/lines.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace kt6_testing {

// What the callbacks were told, from any thread.
class Notes {
 public:
  void Add(std::uint32_t what) {
    std::lock_guard lock(mutex_);
    seen_.push_back(what);
  }
  std::vector<std::uint32_t> Seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    seen_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint32_t> seen_;
};

inline Notes g_triggerNotes;
inline Notes g_eventNotes;
inline Notes g_otherNotes;
inline void TriggerNoted(std::uint32_t what) { g_triggerNotes.Add(what); }
inline void EventNoted(std::uint32_t what) { g_eventNotes.Add(what); }
inline void OtherNoted(std::uint32_t what) { g_otherNotes.Add(what); }
inline void AnotherCallback(std::uint32_t) {}

class InputsTest : public Kt6Test {
 protected:
  void SetUp() override {
    g_triggerNotes.Clear();
    g_eventNotes.Clear();
    g_otherNotes.Clear();
  }
  void TearDown() override {
    Kt6Test::TearDown();
    // The callbacks and the other events outlive a close, as a caller's would.
    kt6::g_events.event_callback = nullptr;
    kt6::g_events.trigger_callback = nullptr;
    kt6::g_events.other_event_callback = nullptr;
    kt6::g_events.other_event_mask = 0;
  }

  // A board of the type as an init leaves it, without the interrupt thread.
  sim::Kt650Board& Initialised(std::uint8_t type, std::uint8_t revision = 2) {
    std::uint16_t chip = type == 0 ? sim::kt650::kChip5631 : type <= 2 ? sim::kt650::kChip8A01 : sim::kt650::kChip8A22;
    return BootBoard(chip, type, revision);
  }

  // An opened and initialised board whose fields come only when the test raises
  // them, with the interrupt thread running.
  sim::Kt650Board& Opened(std::uint8_t type) {
    std::uint16_t chip = type <= 2 ? sim::kt650::kChip8A01 : sim::kt650::kChip8A22;
    sim::MachineDescription desc = OneBoard(chip, type);
    desc.kt650_boards[0].timing.running = false;
    sim::Machine& m = Boot(desc);
    WriteIni(kQuickIni);
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    return m.kt650(0);
  }

  // Raises the sources and waits until the library has served them.
  static void Raise(sim::Kt650Board& board, std::uint16_t sources) {
    board.RaiseInterrupt(sources);
    ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  }

  static std::uint8_t Control(sim::Kt650Board& board, std::uint8_t reg) { return board.board_control()->Register(reg); }
  static std::uint8_t Port(sim::Kt650Board& board, std::uint8_t reg) { return board.control_port()->Register(reg); }
  static std::uint16_t Internal() { return kt6::g_irq.internal_mask.load(); }
  static std::uint8_t Enables() { return kt6::LineEnables(); }
};

using Seen = std::vector<std::uint32_t>;

}  // namespace kt6_testing
