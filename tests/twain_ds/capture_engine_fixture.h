// The 700-series capture engine over an open RG-700 on the virtual PC, whose field
// clock runs in lockstep with the interrupt thread at a millisecond a field.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "outside/kessra32/kessra32.h"
#include "platform/message_box.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/library_entry.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_gio.h"
#include "sim/rg700/rg700_video_clock.h"
#include "tests/support/test_machine.h"
#include "tests/support/windows_directory.h"
#include "twain_ds/backend_rg7/capture_engine.h"

namespace twain_ds_test {

using testing_support::OverlayCount;
using testing_support::Overlays;
using testing_support::QuickMachine;
using testing_support::ThreadCount;

struct EngineMachine {
  DWORD bits_per_pixel = 16;
  DWORD pitch_alignment = 8;
  bool video_running = true;
  bool overlay = true;
};

class CaptureEngineTest : public ::testing::Test {
 protected:
  void PowerOn(const EngineMachine& shape = EngineMachine{}) {
    sim::MachineDescription desc = QuickMachine();
    desc.display.bits_per_pixel = shape.bits_per_pixel;
    desc.display.pitch_alignment = shape.pitch_alignment;
    desc.display.overlay = shape.overlay;
    desc.rg700_boards[0].timing.running = shape.video_running;
    machine_ = &sim::PowerOn(desc);
    rg7::LibraryAttach();
    ASSERT_EQ(RG7Open(258), 1);
    Kessra32Camera().Reset();
    platform::ClearMessageBoxLog();
    format_.SetFrameSize(0);
    format_.window_width = format_.frame_width;
    format_.window_height = format_.frame_height;
  }
  void TearDown() override {
    if (engine_) engine_->CloseOverlay();
    engine_.reset();
    if (machine_) {
      RG7Close();
      rg7::LibraryDetach();
    }
    Kessra32Camera().Reset();
    sim::PowerOff();
    machine_ = nullptr;
  }

  twain_ds::CCaptureEngine& MakeEngine() {
    engine_ = std::make_unique<twain_ds::CCaptureEngine>(format_, source_);
    return *engine_;
  }
  // The engine ready for live video, as the video window prepares it.
  twain_ds::CCaptureEngine& LiveEngine() {
    twain_ds::CCaptureEngine& engine = MakeEngine();
    engine.SetGrabWindow();
    engine.LiveVideo();
    return engine;
  }

  sim::Rg700Board& board() { return machine_->rg700(0); }
  sim::Display& display() { return machine_->display(); }
  std::uint32_t GrabStarts() { return rg7::g_boardRecords[0].grab_starts.load(); }
  bool WaitFields(std::uint32_t more) {
    sim::Rg700VideoClock& clock = board().video_clock();
    return clock.WaitForFieldCount(clock.field_count() + more);
  }
  // Until the engine has stopped its grab by itself, at most `fields` fields.
  bool WaitGrabStopped(std::uint32_t fields = 200) {
    for (std::uint32_t i = 0; i < fields && engine_->grabbing(); ++i)
      if (!WaitFields(1)) return false;
    return !engine_->grabbing() && machine_->WaitUntilInterruptsServed();
  }

  testing_support::ScopedWindowsDirectory windows_;
  twain_ds::CFormatSettings format_{twain_ds::kRg7Ntc};
  twain_ds::CSourceSettings source_{twain_ds::kRg7Ntc};
  sim::Machine* machine_ = nullptr;
  std::unique_ptr<twain_ds::CCaptureEngine> engine_;
};

}  // namespace twain_ds_test
