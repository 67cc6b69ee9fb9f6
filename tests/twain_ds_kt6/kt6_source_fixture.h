// The 650-series data sources as an application reaches them through the test
// source manager, each on a virtual PC with one 650-series board whose field clock
// runs fast and in lockstep. The Windows NT builds take part once their SDK is
// built; until then their rows are skipped.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "outside/kessra32/kessra32.h"
#include "outside/orbctl32/orbctl32.h"
#include "outside/twain_app/test_application.h"
#include "outside/twain_dsm/twain_dsm.h"
#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "sim/machine.h"
#include "tests/support/windows_directory.h"

#ifndef KT6_NTV_PATH
#define KT6_NTV_PATH ""
#endif
#ifndef KT6_NTC_PATH
#define KT6_NTC_PATH ""
#endif

namespace kt6_source_test {

struct Kt6Build {
  const char* module;
  const char* path;
  const char* sdk;  // the SDK library's file name
  const char* product;
  // Null for the build without camera control.
  camera_sim::SimulatedCamera* (*camera)();
  bool recapture;
};

inline camera_sim::SimulatedCamera* Orbicam() { return &Orbctl32Camera(); }
inline camera_sim::SimulatedCamera* Kessra() { return &Kessra32Camera(); }

inline const Kt6Build kKt6Builds[] = {
    {"kt6_95v", KT6_95V_PATH, "libKT6DLL95.so", "Zephlor/QSI/Orbicam KT-650/650P", Orbicam, false},
    {"kt6_95a", KT6_95A_PATH, "libKT6DLL95.so", "Zephlor/Quillon KT-650/KT-650P", nullptr, true},
    {"kt6_ntv", KT6_NTV_PATH, "libKT6DLLNT.so", "Zephlor/QSI/Orbicam KT-650/650P", Orbicam, true},
    {"kt6_ntc", KT6_NTC_PATH, "libKT6DLLNT.so", "Zephlor/QSI/OBC/Kessra KT-650/650P", Kessra, true},
};

inline std::string BuildName(const ::testing::TestParamInfo<Kt6Build>& info) { return info.param.module; }

// The board the source is tried on: chip and type.
struct BoardKind {
  std::uint16_t chip;
  std::uint8_t type;
};
inline constexpr BoardKind kDefaultBoard{sim::kt650::kChip8A22, 3};
inline constexpr BoardKind kType1Board{sim::kt650::kChip8A01, 1};
inline constexpr BoardKind kType4Board{sim::kt650::kChip8A22, 4};

// No bus calibration: opens stay quick.
inline constexpr char kQuickIni[] = "[Other]\nAutoI2CTimingEnable=0\n";

inline sim::MachineDescription MachineWith(BoardKind kind) {
  sim::MachineDescription desc = sim::MachineDescription::Default();
  sim::Kt650Desc& board = desc.kt650_boards.at(0);
  board.chip = kind.chip;
  board.type = kind.type;
  if (kind.chip != sim::kt650::kChip8A22) board.memory_bytes = 4u << 20;
  board.refresh_hz = 2000;
  board.timing.field_period_us = 2000;
  board.timing.lockstep = true;
  return desc;
}

// A camera on every input of every device, so that the connector does not matter.
inline sim::MachineDescription WithCameraEverywhere(sim::MachineDescription desc) {
  for (int input : {0, 1, 2, 3}) desc.kt650_boards.at(0).cameras.PutEverywhere(input, sim::VideoSourceDesc{true, 0});
  return desc;
}

class Kt6SourceTest : public ::testing::TestWithParam<Kt6Build> {
 protected:
  void SetUp() override {
    if (std::string(GetParam().path).empty()) GTEST_SKIP() << GetParam().module << " is not built yet";
    platform::ClearMessageBoxLog();
    ResetCamera();
  }
  void TearDown() override {
    platform::automation::ClearSteps();
    app_.reset();
    ResetCamera();
    twain_dsm::SetRawMode(false);
    sim::PowerOff();
  }

  const Kt6Build& build() const { return GetParam(); }
  bool HasCamera() const { return build().camera != nullptr; }
  camera_sim::SimulatedCamera& Camera() const { return *build().camera(); }
  void ResetCamera() const {
    if (!std::string(GetParam().path).empty() && HasCamera()) Camera().Reset();
  }

  // The machine on, the board's library settings and the source's own settings
  // written, and the source installed where the manager looks.
  sim::Machine& PowerOn(const sim::MachineDescription& desc, const std::string& settings = kQuickSettings) {
    sim::Machine& m = sim::PowerOn(desc);
    WriteKt600Ini(kQuickIni);
    windows_.Write(std::string(build().module) + ".INI", settings);
    std::filesystem::path installed = sources_.File(std::string(build().module) + ".ds");
    if (!std::filesystem::exists(installed)) std::filesystem::copy_file(build().path, installed);
    twain_dsm::SetSourcePath(sources_.path());
    return m;
  }
  sim::Machine& PowerOn(BoardKind kind = kDefaultBoard, const std::string& settings = kQuickSettings) {
    return PowerOn(MachineWith(kind), settings);
  }
  void WriteKt600Ini(const std::string& text) {
    windows_.Write("WIN.INI", "[Zephlor]\nKT-600=" + windows_.path() + "\\board\n");
    windows_.Write("board/KT-600.INI", text);
  }

  // A fresh application with the manager open and the source listed.
  twain_app::TestApplication& App() {
    if (!app_) {
      app_ = std::make_unique<twain_app::TestApplication>();
      EXPECT_EQ(app_->OpenManager(), TWRC_SUCCESS);
      EXPECT_FALSE(app_->ListSources().empty());
    }
    return *app_;
  }
  ::testing::AssertionResult Open() {
    if (App().OpenSource() != TWRC_SUCCESS)
      return ::testing::AssertionFailure() << "open: condition " << App().SourceCondition();
    return ::testing::AssertionSuccess();
  }
  // Opened and enabled without a user interface: the image is ready.
  ::testing::AssertionResult OpenAndCapture() {
    if (auto opened = Open(); !opened) return opened;
    if (App().Enable(false) != TWRC_SUCCESS)
      return ::testing::AssertionFailure() << "enable: condition " << App().SourceCondition();
    return ::testing::AssertionSuccess();
  }

  // An export of the build's SDK library, loaded with the source.
  template <class Function>
  Function* SdkExport(const char* name) const {
    void* sdk = ::dlopen(build().sdk, RTLD_NOW | RTLD_NOLOAD);
    if (!sdk) return nullptr;
    void* symbol = ::dlsym(sdk, name);
    ::dlclose(sdk);
    return reinterpret_cast<Function*>(symbol);
  }

  sim::Kt650Board& Board() const { return sim::CurrentMachine()->kt650(0); }
  // The strobe pulses of the board so far: (rising field, falling field).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> StrobePulses() const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pulses;
    for (const sim::Kt650OutputChange& change : Board().OutputChanges()) {
      if (change.level)
        pulses.emplace_back(change.field, 0);
      else if (!pulses.empty() && pulses.back().second == 0)
        pulses.back().second = change.field;
    }
    return pulses;
  }

  // Until `count` strobe pulses have ended, running the application's loop when
  // `pump` (else only waiting); false after timeoutMs.
  bool WaitForPulses(std::size_t count, bool pump = true, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    for (;;) {
      auto pulses = StrobePulses();
      if (pulses.size() >= count && pulses.back().second != 0) return true;
      if (GetTickCount() - start > timeoutMs) return false;
      if (pump && app_)
        app_->RunMessageLoop(5);
      else
        Sleep(5);
    }
  }
  // Until the board has written no field for a while (a frozen or strobed frame
  // is in); false after timeoutMs.
  bool WaitUntilStill(DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    std::uint64_t written = Board().video_port().fields_written();
    for (int quiet = 0; quiet < 3;) {
      if (app_)
        app_->RunMessageLoop(20);
      else
        Sleep(20);
      const std::uint64_t now = Board().video_port().fields_written();
      quiet = now == written ? quiet + 1 : 0;
      written = now;
      if (GetTickCount() - start > timeoutMs) return false;
    }
    return true;
  }

  // Composite input, a strobe of no delay and width, colour.
  static constexpr char kQuickSettings[] =
      "[Source]\r\nInputFormat=0\r\nConnector=0\r\nStrobeOn=1\r\nStrobeDelay=0\r\nStrobeWidth=0\r\n";

  testing_support::ScopedWindowsDirectory windows_;
  testing_support::TempDir sources_;
  std::unique_ptr<twain_app::TestApplication> app_;
};

}  // namespace kt6_source_test
