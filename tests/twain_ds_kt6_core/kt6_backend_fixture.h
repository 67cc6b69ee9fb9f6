// The 650-series back-end in the test's own process: a started data source of
// the build given over the built-in SDK, attached as the loader attaches it, on a
// virtual PC with one 650-series board whose field clock runs fast and in
// lockstep. The trace hook's texts are collected.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "kt6sdk/library_entry.h"
#include "kt6sdk/library_state.h"
#include "outside/orbctl32/orbctl32.h"
#include "platform/resources.h"
#include "sim/machine.h"
#include "tests/support/windows_directory.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/identity.h"
#include "twain_ds/resource_scripts.h"
#include "twain_ds/twain_ds.h"
#include "twain_ds/twain_error.h"
#include "twain_ds/twain_state.h"

namespace kt6_backend_test {

inline std::mutex g_traceLock;
inline std::vector<std::string> g_traces;

inline std::vector<std::string> Traces() {
  std::lock_guard lock(g_traceLock);
  return g_traces;
}
inline bool Traced(const std::string& text) {
  std::vector<std::string> traces = Traces();
  return std::find(traces.begin(), traces.end(), text) != traces.end();
}

inline constexpr char kQuickIni[] = "[Other]\nAutoI2CTimingEnable=0\n";
// Composite input 1, the strobe on with no delay and width.
inline constexpr char kStrobeSettings[] =
    "[Source]\r\nInputFormat=0\r\nConnector=0\r\nStrobeOn=1\r\nStrobeDelay=0\r\nStrobeWidth=0\r\n";

inline sim::MachineDescription OneBoard(std::uint16_t chip = sim::kt650::kChip8A22, std::uint8_t type = 3) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  sim::Kt650Desc& board = desc.kt650_boards.at(0);
  board.chip = chip;
  board.type = type;
  if (chip != sim::kt650::kChip8A22) board.memory_bytes = 4u << 20;
  board.refresh_hz = 2000;
  board.timing.field_period_us = 2000;
  board.timing.lockstep = true;
  return desc;
}

class Kt6BackendTest : public ::testing::Test {
 protected:
  explicit Kt6BackendTest(const twain_ds::BuildDescriptor& build = twain_ds::kKt6_95v) : app_(build) {}
  ~Kt6BackendTest() override {
    if (booted_) {
      if (twain_ds::g_state != twain_ds::TwainState::kLoaded) Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr);
      kt6::LibraryDetach();
      kt6::ResetLibraryState();
      Orbctl32Camera().Reset();
      sim::PowerOff();
    }
    twain_ds::SetTraceSink(nullptr);
    platform::UnregisterModuleResources(app_.m_hInstance);
  }

  void Boot(const sim::MachineDescription& desc = OneBoard(), const std::string& ini = kQuickIni,
            const std::string& settings = kStrobeSettings) {
    windows_.Write("WIN.INI", "[Zephlor]\nKT-600=" + windows_.path() + "\\board\n");
    windows_.Write("board/KT-600.INI", ini);
    windows_.Write(app_.m_pszProfileName, settings);
    sim::PowerOn(desc);
    kt6::LibraryAttach();
    Orbctl32Camera().Reset();
    platform::RegisterModuleResources(app_.m_hInstance, twain_ds::kKt6StringsScript);
    app_.InitInstance();
    twain_ds::g_state = twain_ds::TwainState::kLoaded;
    g_traces.clear();
    twain_ds::SetTraceSink([](const char* text) {
      std::lock_guard lock(g_traceLock);
      g_traces.emplace_back(text);
    });
    booted_ = true;
  }

  TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    return DS_Entry(&application_, dg, dat, msg, data);
  }
  TW_UINT16 Open() {
    application_.Id = 7;
    TW_IDENTITY source = twain_ds::g_ownIdentity;
    return Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source);
  }
  TW_UINT16 CaptureWithoutUi() {
    TW_USERINTERFACE ui{FALSE, FALSE, nullptr};
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  }

  sim::Kt650Board& Board() const { return sim::CurrentMachine()->kt650(0); }
  std::size_t StrobeRises() const {
    auto changes = Board().OutputChanges();
    return static_cast<std::size_t>(std::count_if(changes.begin(), changes.end(), [](auto& c) { return c.level; }));
  }

  testing_support::ScopedWindowsDirectory windows_;
  twain_ds::CDataSourceApp app_;
  TW_IDENTITY application_{};
  bool booted_ = false;
};

}  // namespace kt6_backend_test
