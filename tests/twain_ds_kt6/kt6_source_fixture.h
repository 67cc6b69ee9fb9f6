// The 650-series data sources as an application reaches them through the test
// source manager, each on a virtual PC with one 650-series board whose field clock
// runs fast and in lockstep. Builds not built yet (the NT ones) are skipped.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
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

namespace kt6_source_test {

using CameraCallLog = std::vector<camera_sim::CameraCall>;

struct Kt6Build {
  const char* module;
  const char* path;
  const char* sdk;
  const char* product;
  camera_sim::SimulatedCamera* (*camera)();  // null: no camera control
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

struct BoardKind {
  std::uint16_t chip;
  std::uint8_t type;
};
inline constexpr BoardKind kDefaultBoard{sim::kt650::kChip8A22, 3};
inline constexpr BoardKind kType1Board{sim::kt650::kChip8A01, 1};
inline constexpr BoardKind kType4Board{sim::kt650::kChip8A22, 4};

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

std::vector<std::string> CallNames(const CameraCallLog& calls);

class Kt6SourceTest : public ::testing::TestWithParam<Kt6Build> {
 protected:
  void SetUp() override {
    platform::ClearMessageBoxLog();
    if (HasCamera()) Camera().Reset();
  }
  void TearDown() override {
    platform::automation::ClearSteps();
    app_.reset();
    if (HasCamera()) Camera().Reset();
    sim::PowerOff();
  }

  const Kt6Build& build() const { return GetParam(); }
  bool HasCamera() const { return build().camera != nullptr; }
  camera_sim::SimulatedCamera& Camera() const { return *build().camera(); }
  // The camera's calls so far (none without camera control), and a fresh log.
  std::vector<std::string> CameraCalls() const {
    return HasCamera() ? CallNames(Camera().Calls()) : std::vector<std::string>{};
  }
  void ClearCameraCalls() const {
    if (HasCamera()) Camera().ClearCalls();
  }

  // The machine on, KT-600.INI (no bus calibration) and the source's settings
  // written, and the source where the manager looks.
  void PowerOn(BoardKind kind = kDefaultBoard, const std::string& settings = kSettings) {
    sim::PowerOn(MachineWith(kind));
    windows_.Write("WIN.INI", "[Zephlor]\nKT-600=" + windows_.path() + "\\board\n");
    windows_.Write("board/KT-600.INI", "[Other]\nAutoI2CTimingEnable=0\n");
    windows_.Write(std::string(build().module) + ".INI", settings);
    std::string installed = sources_.File(std::string(build().module) + ".ds");
    if (!std::filesystem::exists(installed)) std::filesystem::copy_file(build().path, installed);
    twain_dsm::SetSourcePath(sources_.path());
  }
  // The application with the manager open (and the sources listed).
  twain_app::TestApplication& App() {
    if (!app_) {
      app_ = std::make_unique<twain_app::TestApplication>();
      EXPECT_EQ(app_->OpenManager(), TWRC_SUCCESS);
    }
    return *app_;
  }
  bool Open() { return App().OpenSource() == TWRC_SUCCESS; }
  // Opened and enabled without a user interface: the image is ready.
  bool OpenAndCapture() { return Open() && App().Enable(false) == TWRC_SUCCESS; }
  bool NextImage() { return App().Disable(false) == TWRC_SUCCESS && App().Enable(false) == TWRC_SUCCESS; }

  // An export of the build's SDK, loaded with the source.
  template <class Function>
  Function* SdkExport(const char* name) const {
    void* sdk = ::dlopen(build().sdk, RTLD_NOW | RTLD_NOLOAD);
    void* symbol = sdk ? ::dlsym(sdk, name) : nullptr;
    if (sdk) ::dlclose(sdk);
    return reinterpret_cast<Function*>(symbol);
  }

  sim::Kt650Board& Board() const { return sim::CurrentMachine()->kt650(0); }
  // The strobe pulses so far, each (rising field, falling field or 0).
  std::vector<std::pair<std::uint32_t, std::uint32_t>> StrobePulses() const;
  // Until `count` pulses have ended, the strobe is disabled again and the board
  // writes no more fields (a strobed frame is in); false after ten seconds.
  bool WaitForStrobedFrames(std::size_t count);
  void RunLoop(DWORD ms) {
    if (app_)
      app_->RunMessageLoop(ms);
    else
      Sleep(ms);
  }

  // Composite input 1, the strobe on with no delay and width, colour.
  static constexpr char kSettings[] =
      "[Source]\r\nInputFormat=0\r\nConnector=0\r\nStrobeOn=1\r\nStrobeDelay=0\r\nStrobeWidth=0\r\n";

  testing_support::ScopedWindowsDirectory windows_;
  testing_support::TempDir sources_;
  std::unique_ptr<twain_app::TestApplication> app_;
};

inline std::vector<std::string> CallNames(const CameraCallLog& calls) {
  std::vector<std::string> names;
  for (const camera_sim::CameraCall& call : calls) names.push_back(call.name);
  return names;
}

inline std::vector<std::pair<std::uint32_t, std::uint32_t>> Kt6SourceTest::StrobePulses() const {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pulses;
  for (const sim::Kt650OutputChange& change : Board().OutputChanges())
    if (change.level)
      pulses.emplace_back(change.field, 0);
    else if (!pulses.empty())
      pulses.back().second = change.field;
  return pulses;
}

inline bool Kt6SourceTest::WaitForStrobedFrames(std::size_t count) {
  const DWORD start = GetTickCount();
  std::uint64_t written = Board().video_port().fields_written();
  for (int quiet = 0; quiet < 3 && GetTickCount() - start < 10000;) {
    RunLoop(20);
    auto pulses = StrobePulses();
    const std::uint64_t now = Board().video_port().fields_written();
    // The strobe's callback has disabled it too (the library says so on the boards
    // that tell), so that the next arm is not taken for the one under way.
    using InquireStrobe = std::int32_t(std::uint32_t*);
    std::uint32_t setup = 0;
    InquireStrobe* inquire = SdkExport<InquireStrobe>("KT6InquireStrobeParameters");
    const bool disabled = !inquire || inquire(&setup) != 0;
    const bool ended = pulses.size() >= count && (count == 0 || pulses.back().second != 0) && disabled;
    quiet = ended && now == written ? quiet + 1 : 0;
    written = now;
    if (quiet == 3) return true;
  }
  return false;
}

}  // namespace kt6_source_test
