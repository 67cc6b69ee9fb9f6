// The 700-series source in the test's own process, over the built-in SDK on a
// virtual PC whose field clock runs in lockstep at a millisecond a field, entered
// through DS_Entry as a source manager enters it.
#pragma once

#include <string>
#include <vector>

#include "outside/kessra32/kessra32.h"
#include "rg7sdk/library_entry.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/support/test_machine.h"
#include "tests/support/windows_directory.h"
#include "tests/twain_ds/entry_fixture.h"
#include "twain_ds/backend_rg7/capture_engine.h"

namespace twain_ds_test {

using testing_support::OverlayCount;
using testing_support::Overlays;
using testing_support::QuickMachine;
using testing_support::ThreadCount;

// The text's lines without line ends, blank ones left out.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

inline std::uint32_t EngineInterrupts() {
  return sim::CurrentMachine()->rg700(0).Register(sim::rg700::kInterruptMask) & twain_ds::CCaptureEngine::kEventMask;
}

// The source in the test's own process, entered through DS_Entry.
class OpenSourceFixture : public EntryFixture {
 protected:
  OpenSourceFixture() { PowerOn(); }
  ~OpenSourceFixture() override {
    if (twain_ds::g_state != twain_ds::TwainState::kLoaded) Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr);
    rg7::LibraryDetach();
    Kessra32Camera().Reset();
    sim::PowerOff();
  }
  void PowerOn(std::size_t boards = 1) {
    sim::PowerOn(QuickMachine(boards));
    rg7::LibraryAttach();
    Kessra32Camera().Reset();
  }
  TW_UINT16 Open(TW_UINT32 applicationId = 7) {
    application_.Id = applicationId;
    TW_IDENTITY source = twain_ds::g_ownIdentity;
    source.Id = 3;
    return Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source);
  }
  std::vector<std::string> SettingsFile() const { return Lines(windows_.Read(app_.m_pszProfileName)); }

  testing_support::ScopedWindowsDirectory windows_;
};

}  // namespace twain_ds_test
