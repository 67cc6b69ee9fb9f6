// The preview program running as a process of the virtual PC, driven through the
// MCI driver stand-in, and what the tests look at: the board, the library the
// program runs on, the overlay and the composed screen.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "mci_preview/preview_messages.h"
#include "outside/rg7mcint/rg7mcint.h"
#include "platform/message_box.h"
#include "platform/module_loader.h"
#include "platform/process.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_gio.h"
#include "sim/rg700/rg700_video_clock.h"
#include "sim/rg700/rg700_video_dma.h"
#include "tests/support/test_machine.h"

namespace mci_preview_test {

using mci_preview::kPreviewClassName;
using mci_preview::kPreviewWindowName;

// A camera on every input, so that whichever channel the settings choose shows it.
inline sim::MachineDescription PreviewMachine() {
  sim::MachineDescription desc = testing_support::QuickMachine();
  for (sim::VideoSourceDesc& input : desc.rg700_boards[0].inputs) input = desc.rg700_boards[0].inputs[0];
  return desc;
}

inline Rg7mciVideoSettings DefaultSettings() {
  Rg7mciVideoSettings s{};
  s.saturation = 128;
  s.brightness = 128;
  s.contrast = 128;
  return s;
}

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ClearMessageBoxLog(); }
  void TearDown() override {
    if (device_) Rg7mciClose(device_, nullptr);
    if (sim::CurrentMachine()) sim::PowerOff();
  }

  sim::Machine& PowerOn(const sim::MachineDescription& desc = PreviewMachine()) {
    machine_ = &sim::PowerOn(desc);
    return *machine_;
  }
  std::int32_t Open(const Rg7mciVideoSettings& settings = DefaultSettings()) {
    return Rg7mciOpen(RG7MCIWIN_PATH, &settings, &device_);
  }
  // The program's exit code.
  DWORD Close() {
    DWORD code = 0xFFFFu;
    EXPECT_EQ(Rg7mciClose(device_, &code), RG7MCI_OK);
    device_ = nullptr;
    return code;
  }

  // An export of the library the program runs on, while it runs.
  template <class Fn>
  Fn Sdk(const char* name) {
    HMODULE library = GetModuleHandleA("rg7app95");
    return library ? reinterpret_cast<Fn>(GetProcAddress(library, name)) : nullptr;
  }
  std::int32_t Get(const char* getter) {
    auto fn = Sdk<std::int32_t (*)()>(getter);
    return fn ? fn() : INT32_MIN;
  }

  HWND preview() const { return Rg7mciPreviewWindow(device_); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(preview(), message, wParam, lParam);
  }

  sim::Rg700Board& board() { return machine_->rg700(0); }
  sim::Rg700VideoClock& clock() { return board().video_clock(); }
  bool Fields(std::uint32_t more) { return clock().WaitForFieldCount(clock().field_count() + more); }
  sim::SurfaceInfo Overlay() {
    auto overlays = testing_support::Overlays(machine_->display());
    return overlays.empty() ? sim::SurfaceInfo{} : overlays[0];
  }
  // Stops the grab and lets the last field land.
  void Freeze() {
    ASSERT_EQ(Rg7mciStop(device_), RG7MCI_OK);
    ASSERT_TRUE(Fields(3));
  }

  sim::Machine* machine_ = nullptr;
  Rg7mciDevice* device_ = nullptr;
};

}  // namespace mci_preview_test
