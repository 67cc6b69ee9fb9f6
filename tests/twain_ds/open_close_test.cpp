// MSG_OPENDS and MSG_CLOSEDS of the 700-series sources: in the test's own process
// over the built-in SDK, and end to end through the test source manager.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "outside/kessra32/kessra32.h"
#include "outside/orbctl32/orbctl32.h"
#include "outside/twain_app/test_application.h"
#include "outside/twain_dsm/twain_dsm.h"
#include "rg7sdk/library_entry.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/support/windows_directory.h"
#include "tests/twain_ds/open_source_fixture.h"
#include "twain_ds/backend_rg7/capture_engine.h"

namespace twain_ds_test {
namespace {

using twain_ds::TwainState;

constexpr char kPortBox[] = "Currently selected camera control communications port not available.";
const std::vector<std::string> kDefaultSettings = {
    "[Format]",      "Color=1",         "Zoom=0",        "Width=0",         "Height=0",     "OffsetX=0",
    "OffsetY=0",     "Hue=0",           "Saturation=64", "Brightness=128",  "Contrast=64",    "RValue=255",
    "GValue=0",      "BValue=255",      "[Source]",      "VideoStandard=0", "InputFormat=1",  "Connector=0",
    "VCRMode=0",     "StrobeOn=1",      "StrobeDelay=1", "StrobeWidth=1",   "[CAMERA]",       "ACTIVE=1",
    "COMMPORT=1",    "MANUALFOCUS=0"};

using OpenCloseInProcess = OpenSourceFixture;

TEST_F(OpenCloseInProcess, OpenConnectsTheApplicationAndCloseUndoesEverything) {
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  EXPECT_EQ(twain_ds::g_state, TwainState::kOpen);
  EXPECT_EQ(twain_ds::g_appIdentity.Id, 7u);
  EXPECT_EQ(twain_ds::g_ownIdentity.Id, 3u);
  ASSERT_NE(twain_ds::g_captureEngine, nullptr);
  EXPECT_EQ(OverlayCount(), 1u);
  EXPECT_EQ(EngineInterrupts(), twain_ds::CCaptureEngine::kEventMask);
  EXPECT_EQ(Kessra32Camera().State().port, 1);
  EXPECT_EQ(Boxes(), 0u);

  // Open again in state 400: refused, nothing changes.
  EXPECT_EQ(Open(), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_SEQERROR);
  EXPECT_EQ(LastBoxText(), "General failure in response to MSG_OPENDS.  DG DAT MSG is out of expected sequence.");
  EXPECT_EQ(twain_ds::g_state, TwainState::kOpen);
  EXPECT_EQ(OverlayCount(), 1u);

  ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_SUCCESS);
  EXPECT_EQ(twain_ds::g_state, TwainState::kLoaded);
  EXPECT_EQ(twain_ds::g_appIdentity.Id, 0u);
  EXPECT_EQ(twain_ds::g_captureEngine, nullptr);
  EXPECT_EQ(OverlayCount(), 0u);
  EXPECT_EQ(EngineInterrupts(), 0u);
  EXPECT_EQ(Kessra32Camera().State().port, 0);
  EXPECT_EQ(SettingsFile(), kDefaultSettings);

  EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_SEQERROR);
  EXPECT_EQ(LastBoxText(), "General failure in response to MSG_CLOSEDS.  DG DAT MSG is out of expected sequence.");
}

TEST_F(OpenCloseInProcess, AHeldIdentityRefusesTheOpenWithoutTouchingTheBoard) {
  Connect(7);
  EXPECT_EQ(Open(7), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_MAXCONNECTIONS);
  EXPECT_EQ(LastBoxText(), "General failure in response to MSG_OPENDS.  Source is connected to max possible apps.");
  EXPECT_EQ(twain_ds::g_state, TwainState::kLoaded);
  EXPECT_EQ(twain_ds::g_captureEngine, nullptr);
  EXPECT_EQ(OverlayCount(), 0u);
  EXPECT_EQ(Kessra32Camera().State().port, 0);
}

TEST_F(OpenCloseInProcess, AnOpenWithoutAnApplicationIdentityIsRefused) {
  TW_IDENTITY source = twain_ds::g_ownIdentity;
  EXPECT_EQ(DS_Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
  EXPECT_EQ(twain_ds::g_state, TwainState::kLoaded);
  EXPECT_EQ(twain_ds::g_captureEngine, nullptr);
}

TEST_F(OpenCloseInProcess, AFailedBoardOpenConnectsNobodySoTheNextApplicationCanOpen) {
  rg7::LibraryDetach();
  PowerOn(0);
  EXPECT_EQ(Open(7), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BUMMER);
  EXPECT_EQ(LastBoxText(), "General failure in response to MSG_OPENDS.  Bummer error.");
  EXPECT_EQ(twain_ds::g_state, TwainState::kLoaded);
  EXPECT_EQ(twain_ds::g_appIdentity.Id, 0u);
  EXPECT_EQ(twain_ds::g_captureEngine, nullptr);

  rg7::LibraryDetach();
  PowerOn(1);
  EXPECT_EQ(Open(8), TWRC_SUCCESS);
  EXPECT_EQ(twain_ds::g_appIdentity.Id, 8u);
}

TEST_F(OpenCloseInProcess, SettingsAreLoadedAfterTheEngineAndKeptForTheNextOpen) {
  windows_.Write(app_.m_pszProfileName, "[Source]\r\nVideoStandard=1\r\nConnector=5\r\n[CAMERA]\r\nCOMMPORT=3\r\n");
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  // The first open in the process prepares the overlay before the settings are read.
  EXPECT_EQ(sim::CurrentMachine()->display().Surfaces().back().width, 640u);
  EXPECT_EQ(Kessra32Camera().State().port, 1);
  EXPECT_EQ(twain_ds::FormatSettings().frame_width, 768);
  EXPECT_EQ(twain_ds::FormatSettings().frame_height, 574);
  EXPECT_EQ(twain_ds::SourceSettings().connector, 2);
  twain_ds::SourceSettings().strobe_delay = 4;
  ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_SUCCESS);
  std::vector<std::string> saved = SettingsFile();
  EXPECT_NE(std::find(saved.begin(), saved.end(), "StrobeDelay=4"), saved.end());
  EXPECT_NE(std::find(saved.begin(), saved.end(), "COMMPORT=3"), saved.end());

  // The next open in the same process starts from the values of the last one.
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  EXPECT_EQ(sim::CurrentMachine()->display().Surfaces().back().width, 768u);
  EXPECT_EQ(Kessra32Camera().State().port, 3);
}

TEST_F(OpenCloseInProcess, ABusyCameraPortIsReportedButTheSourceOpens) {
  Kessra32Camera().SetPortAvailable(1, false);
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  ASSERT_EQ(Boxes(), 1u);
  EXPECT_EQ(platform::MessageBoxLog()[0].text, kPortBox);
  EXPECT_EQ(platform::MessageBoxLog()[0].caption, "Error");
  EXPECT_EQ(platform::MessageBoxLog()[0].owner, nullptr);
  EXPECT_EQ(Kessra32Camera().State().port, 0);
  EXPECT_EQ(OverlayCount(), 1u);
}

TEST_F(OpenCloseInProcess, ACameraOpenedBeforeTheSourceFixesThePort) {
  Kessra32Camera().OpenByOtherProgram(2);
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  EXPECT_TRUE(twain_ds::SourceSettings().port_fixed);
  EXPECT_EQ(Kessra32Camera().State().port, 2);
  EXPECT_EQ(Boxes(), 0u);
}

// The sources as a TWAIN application opens them through the test source manager.
class OpenCloseThroughManager : public ::testing::Test {
 protected:
  OpenCloseThroughManager() {
    sim::PowerOn(QuickMachine());
    std::filesystem::copy_file(RG7_NTC_PATH, sources_.File("rg7_ntc.ds"));
    std::filesystem::copy_file(RG7_95V_PATH, sources_.File("rg7_95v.ds"));
    twain_dsm::SetSourcePath(sources_.path());
    Kessra32Camera().Reset();
    Orbctl32Camera().Reset();
    platform::ClearMessageBoxLog();
  }
  ~OpenCloseThroughManager() override {
    Kessra32Camera().Reset();
    Orbctl32Camera().Reset();
    sim::PowerOff();
  }

  // The names the builds give themselves, cut to a TW_STR32.
  const std::string kNtc = std::string("Zephlor/QSI/OBC/Kessra RG700 (WinNT)").substr(0, 33);
  const std::string k95v = std::string("Zephlor/QSI/Orbicam RG700 (Win9x)").substr(0, 33);
  testing_support::ScopedWindowsDirectory windows_;
  testing_support::TempDir sources_;
};

TEST_F(OpenCloseThroughManager, OneApplicationHoldsTheBoardAndItsCloseLeavesNothing) {
  twain_app::TestApplication first("First application");
  twain_app::TestApplication second("Second application");
  ASSERT_EQ(first.OpenManager(), TWRC_SUCCESS);
  ASSERT_EQ(second.OpenManager(), TWRC_SUCCESS);
  first.ListSources();
  second.ListSources();
  ASSERT_EQ(first.OpenSource(kNtc), TWRC_SUCCESS);
  EXPECT_EQ(OverlayCount(), 1u);
  EXPECT_EQ(EngineInterrupts(), twain_ds::CCaptureEngine::kEventMask);
  EXPECT_EQ(Kessra32Camera().State().port, 1);

  EXPECT_EQ(second.OpenSource(kNtc), TWRC_FAILURE);
  EXPECT_EQ(OverlayCount(), 1u);
  EXPECT_EQ(Kessra32Camera().State().port, 1);

  ASSERT_EQ(first.CloseSource(), TWRC_SUCCESS);
  EXPECT_EQ(OverlayCount(), 0u);
  EXPECT_EQ(EngineInterrupts(), 0u);
  EXPECT_EQ(Kessra32Camera().State().port, 0);
  EXPECT_EQ(Lines(windows_.Read("rg7_ntc.INI")), kDefaultSettings);
  EXPECT_TRUE(platform::MessageBoxLog().empty());

  // Free again for the other application.
  ASSERT_EQ(second.OpenSource(kNtc), TWRC_SUCCESS);
  EXPECT_EQ(second.CloseSource(), TWRC_SUCCESS);
}

TEST_F(OpenCloseThroughManager, TheWindows95BuildOpensItsBoardWithTheOrbicamCamera) {
  twain_app::TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  app.ListSources();
  ASSERT_EQ(app.OpenSource(k95v), TWRC_SUCCESS);
  EXPECT_EQ(OverlayCount(), 1u);
  EXPECT_EQ(Orbctl32Camera().State().port, 1);
  EXPECT_EQ(Kessra32Camera().State().port, 0);
  ASSERT_EQ(app.CloseSource(), TWRC_SUCCESS);
  EXPECT_EQ(OverlayCount(), 0u);
  EXPECT_EQ(Orbctl32Camera().State().port, 0);
}

}  // namespace
}  // namespace twain_ds_test
