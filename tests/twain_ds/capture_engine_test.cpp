// The capture engine: overlay, live video by DMA into the surface, freeze, the
// strobe count-down on the interrupt thread, and what it leaves behind.
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/user.h"
#include "sim/rg700/rg700_capture_format.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_video_dma.h"
#include "tests/twain_ds/capture_engine_fixture.h"

namespace twain_ds_test {
namespace {

using twain_ds::CCaptureEngine;

constexpr std::uint32_t kOddStart = RG7_IRQ_ODD_FIELD;
constexpr std::uint32_t kDmaDone = RG7_IRQ_DMA_DONE_0;

// Rows 0, 2, ... of the frame hold one field and rows 1, 3, ... the next, every
// row where the surface pitch puts it.
::testing::AssertionResult FrameIsWhole(const sim::Rg700Board& board, const std::vector<BYTE>& frame, int width,
                                        int rows) {
  sim::CaptureFormat format = sim::CaptureFormatOf(board);
  std::size_t rowBytes = static_cast<std::size_t>(width) * 2;
  std::int64_t first = sim::DecodeFieldStamp(frame.data(), format.pixel);
  std::int64_t second = sim::DecodeFieldStamp(frame.data() + rowBytes, format.pixel);
  if (first < 0 || second != first + 1) return ::testing::AssertionFailure() << "stamps " << first << ", " << second;
  for (int r = 0; r < rows; ++r) {
    std::vector<std::uint8_t> want =
        sim::ExpectedCaptureLine(format, static_cast<std::uint32_t>(r % 2 ? second : first), r / 2);
    if (want.size() != rowBytes || std::memcmp(frame.data() + r * rowBytes, want.data(), rowBytes) != 0)
      return ::testing::AssertionFailure() << "row " << r << " differs";
  }
  return ::testing::AssertionSuccess();
}

TEST_F(CaptureEngineTest, FirstOpenMakesAYuy2OverlayOfTheDefaultFrameAndConnectsTheStrobeCallback) {
  PowerOn();
  format_.frame_width = format_.frame_height = 0;  // as before the first load in a process
  CCaptureEngine& engine = MakeEngine();
  std::vector<sim::SurfaceInfo> overlays = Overlays(display());
  ASSERT_EQ(overlays.size(), 1u);
  EXPECT_EQ(overlays[0].width, 640u);
  EXPECT_EQ(overlays[0].height, 480u);
  EXPECT_EQ(overlays[0].format.dwFourCC, MakeFourCC('Y', 'U', 'Y', '2'));
  EXPECT_EQ(engine.surface_memory(), overlays[0].memory);
  EXPECT_EQ(engine.surface_pitch(), static_cast<std::uint32_t>(overlays[0].pitch));
  EXPECT_EQ(board().Register(sim::rg700::kInterruptMask) & CCaptureEngine::kEventMask, CCaptureEngine::kEventMask);
  EXPECT_TRUE(board().gio().strobe());  // idle level
  EXPECT_EQ(GetCameraPort(), 1);

  engine.CloseOverlay();
  EXPECT_TRUE(Overlays(display()).empty());
  EXPECT_EQ(board().Register(sim::rg700::kInterruptMask) & CCaptureEngine::kEventMask, 0u);
  EXPECT_FALSE(engine.has_surface());
  EXPECT_EQ(IsCameraOpen(), 0);
}

TEST_F(CaptureEngineTest, LiveVideoLandsUnshearedWhereTheDisplayPadsTheLinesAndAFreezeKeepsTheFrame) {
  PowerOn({.pitch_alignment = 2048});
  source_.strobe_on = false;
  CCaptureEngine& engine = LiveEngine();
  ASSERT_GT(engine.surface_pitch(), 640u * 2);
  EXPECT_TRUE(engine.grabbing());
  ASSERT_TRUE(WaitFields(6));
  engine.Freeze();
  EXPECT_FALSE(engine.grabbing());
  ASSERT_TRUE(machine_->WaitUntilInterruptsServed());

  std::vector<BYTE> frame(640 * 480 * 2);
  ASSERT_EQ(engine.ReadSurfaceRect(0, 0, 640, 480, frame.data()), 0);
  EXPECT_TRUE(FrameIsWhole(board(), frame, 640, 480));
  EXPECT_TRUE(board().video_dma().Errors().empty());

  // Frozen: the surface keeps that frame while the fields go on.
  ASSERT_TRUE(WaitFields(6));
  std::vector<BYTE> later(frame.size());
  ASSERT_EQ(engine.ReadSurfaceRect(0, 0, 640, 480, later.data()), 0);
  EXPECT_EQ(later, frame);
  EXPECT_TRUE(engine.frozen());

  // A rectangle of it, and one that does not fit the surface.
  std::vector<BYTE> part(4 * 3 * 2);
  ASSERT_EQ(engine.ReadSurfaceRect(2, 1, 4, 3, part.data()), 0);
  EXPECT_EQ(0, std::memcmp(part.data(), frame.data() + 640 * 2 + 4, 8));
  EXPECT_EQ(engine.ReadSurfaceRect(637, 0, 4, 1, part.data()), -1);
  EXPECT_EQ(engine.ReadSurfaceRect(0, 478, 1, 3, part.data()), -1);
  std::string file = windows_.File("frame.bmp");
  EXPECT_EQ(engine.SaveBmpFile(file.c_str(), 600, 0, 200, 480), -1);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(CaptureEngineTest, LiveTwiceStartsOneGrabAndFreezeWhileNotGrabbingTouchesNothing) {
  PowerOn();
  source_.strobe_on = false;
  CCaptureEngine& engine = MakeEngine();
  engine.SetGrabWindow();
  std::uint32_t before = GrabStarts();
  engine.LiveVideo();
  engine.LiveVideo();
  EXPECT_EQ(GrabStarts(), before + 1);
  engine.Freeze();
  EXPECT_FALSE(engine.grabbing());

  board().ClearRegisterWrites();
  engine.Freeze();
  engine.RequestStopGrab();
  engine.StopGrab();
  EXPECT_TRUE(board().RegisterWrites().empty());
}

// The count-down as the callback sees the events: width 1 and delay 1 stop the
// grab on the third DMA completion after the field start that follows the freeze.
TEST_F(CaptureEngineTest, StrobeCountDownSwitchesTheStrobeAndStopsOnTheThirdDmaDone) {
  PowerOn({.video_running = false});
  source_.strobe_on = true;
  source_.strobe_delay = 1;
  source_.strobe_width = 1;
  CCaptureEngine& engine = LiveEngine();
  ASSERT_TRUE(engine.grabbing());
  auto context = reinterpret_cast<std::uintptr_t>(&engine);

  CCaptureEngine::StrobeCallback(kDmaDone, context);  // nothing asked yet
  engine.Freeze();
  EXPECT_TRUE(engine.grabbing());
  CCaptureEngine::StrobeCallback(kDmaDone, context);  // before the field start
  EXPECT_TRUE(board().gio().strobe());
  EXPECT_FALSE(engine.strobe_running());

  CCaptureEngine::StrobeCallback(kOddStart, context);
  EXPECT_FALSE(board().gio().strobe());
  EXPECT_TRUE(engine.strobe_running());
  CCaptureEngine::StrobeCallback(kDmaDone, context);
  EXPECT_FALSE(board().gio().strobe());
  CCaptureEngine::StrobeCallback(RG7_IRQ_EVEN_FIELD, context);  // a field start while running changes nothing
  CCaptureEngine::StrobeCallback(RG7_IRQ_DMA_DONE_1, context);
  EXPECT_TRUE(board().gio().strobe());
  EXPECT_TRUE(engine.grabbing());
  CCaptureEngine::StrobeCallback(kDmaDone, context);
  EXPECT_FALSE(engine.grabbing());
  EXPECT_FALSE(engine.strobe_running());
}

TEST_F(CaptureEngineTest, GoingLiveCallsOffAStrobedFreezeThatIsStillWaitingOrCounting) {
  PowerOn({.video_running = false});
  source_.strobe_on = true;
  source_.strobe_delay = 0;
  source_.strobe_width = 3;
  CCaptureEngine& engine = LiveEngine();
  auto context = reinterpret_cast<std::uintptr_t>(&engine);
  // Waiting for its field start.
  engine.Freeze();
  engine.LiveVideo();
  CCaptureEngine::StrobeCallback(kOddStart | kDmaDone, context);
  EXPECT_FALSE(engine.strobe_running());
  EXPECT_TRUE(engine.grabbing());
  // Counting, with the strobe line low.
  engine.Freeze();
  CCaptureEngine::StrobeCallback(kOddStart | kDmaDone, context);
  ASSERT_TRUE(engine.strobe_running());
  ASSERT_FALSE(board().gio().strobe());
  engine.LiveVideo();
  EXPECT_TRUE(board().gio().strobe());
  for (int i = 0; i < 5; ++i) CCaptureEngine::StrobeCallback(kDmaDone, context);
  EXPECT_TRUE(engine.grabbing());
  EXPECT_FALSE(engine.frozen());
}

TEST_F(CaptureEngineTest, NegativeStrobeCountsEndTheSequenceOnTheFirstDmaDone) {
  PowerOn({.video_running = false});
  source_.strobe_on = true;
  source_.strobe_delay = -4;
  source_.strobe_width = -2;
  CCaptureEngine& engine = LiveEngine();
  auto context = reinterpret_cast<std::uintptr_t>(&engine);
  engine.Freeze();
  CCaptureEngine::StrobeCallback(kOddStart | kDmaDone, context);
  EXPECT_TRUE(board().gio().strobe());
  EXPECT_FALSE(engine.grabbing());
  EXPECT_EQ(source_.strobe_delay, -4);  // the record keeps what it was given
}

TEST_F(CaptureEngineTest, AStrobedFreezeEndsByItselfOnTheInterruptThread) {
  PowerOn();
  source_.strobe_on = true;
  source_.strobe_delay = 2;
  source_.strobe_width = 1;
  CCaptureEngine& engine = LiveEngine();
  ASSERT_TRUE(WaitFields(4));
  std::size_t fieldsBefore = board().gio().StrobeHistory().size();
  engine.Freeze();
  ASSERT_TRUE(WaitGrabStopped());
  EXPECT_TRUE(board().gio().strobe());
  std::vector<sim::StrobeField> history = board().gio().StrobeHistory();
  bool low = false;
  for (std::size_t i = fieldsBefore > 0 ? fieldsBefore - 1 : 0; i < history.size(); ++i) low |= history[i].seen_low;
  EXPECT_TRUE(low);
  // Stopped means stopped: the surface no longer changes.
  std::vector<BYTE> frame(640 * 2), later(640 * 2);
  ASSERT_EQ(engine.ReadSurfaceRect(0, 0, 640, 1, frame.data()), 0);
  ASSERT_TRUE(WaitFields(4));
  ASSERT_EQ(engine.ReadSurfaceRect(0, 0, 640, 1, later.data()), 0);
  EXPECT_EQ(frame, later);
}

TEST_F(CaptureEngineTest, DesktopsWithoutAnOverlayGiveTheirResultsAndNoSurface) {
  struct Case {
    DWORD bits;
    bool overlay;
    int result;
  };
  for (const Case& c : {Case{4, true, -2}, Case{16, false, -3}, Case{32, true, 0}}) {
    PowerOn({.bits_per_pixel = c.bits, .overlay = c.overlay});
    CCaptureEngine& engine = MakeEngine();
    EXPECT_EQ(engine.OpenOverlay(640, 480), c.result) << c.bits << " bits";
    EXPECT_EQ(engine.has_surface(), c.result == 0);
    TearDown();
  }
}

TEST_F(CaptureEngineTest, OpeningAgainReplacesTheOverlayAndConnectsOnce) {
  PowerOn();
  source_.strobe_on = false;
  CCaptureEngine& engine = LiveEngine();
  engine.OpenOverlay(768, 574);
  std::vector<sim::SurfaceInfo> overlays = Overlays(display());
  ASSERT_EQ(overlays.size(), 1u);
  EXPECT_EQ(overlays[0].width, 768u);
  EXPECT_FALSE(engine.grabbing());
  engine.CloseOverlay();
  EXPECT_EQ(board().Register(sim::rg700::kInterruptMask) & CCaptureEngine::kEventMask, 0u);
  EXPECT_TRUE(Overlays(display()).empty());
}

TEST_F(CaptureEngineTest, AnEightBitDesktopLeavesNoSurfaceAndNothingStarts) {
  PowerOn({.bits_per_pixel = 8});
  std::uint32_t before = GrabStarts();
  CCaptureEngine& engine = MakeEngine();
  EXPECT_EQ(engine.OpenOverlay(640, 480), -1);
  engine.SetGrabWindow();
  engine.LiveVideo();
  EXPECT_FALSE(engine.has_surface());
  EXPECT_FALSE(engine.grabbing());
  EXPECT_EQ(GrabStarts(), before);
  EXPECT_TRUE(Overlays(display()).empty());
  BYTE pixel[2];
  EXPECT_EQ(engine.ReadSurfaceRect(0, 0, 1, 1, pixel), -1);
  EXPECT_EQ(engine.SaveBmpFile(windows_.File("frame.bmp").c_str(), 0, 0, 8, 8), -1);
  // Neither the interrupt nor the camera were taken.
  EXPECT_EQ(board().Register(sim::rg700::kInterruptMask) & CCaptureEngine::kEventMask, 0u);
  EXPECT_EQ(IsCameraOpen(), 0);
}

TEST_F(CaptureEngineTest, CloseForgetsTheSurfaceAndAPendingStrobeStopSoAFailedReopenStartsNothing) {
  PowerOn();
  source_.strobe_on = true;
  CCaptureEngine& engine = MakeEngine();
  engine.SetGrabWindow();
  {
    // A freeze that waits for its strobe sequence when the overlay goes.
    engine.LiveVideo();
    engine.Freeze();
    ASSERT_TRUE(engine.grabbing());
  }
  engine.CloseOverlay();
  EXPECT_FALSE(engine.grabbing());
  EXPECT_FALSE(engine.has_surface());
  EXPECT_EQ(engine.surface_pitch(), 0u);

  display().SetVideoMemoryExhausted(true);
  EXPECT_EQ(engine.OpenOverlay(640, 480), -4);
  display().SetVideoMemoryExhausted(false);
  std::uint32_t before = GrabStarts();
  engine.LiveVideo();
  EXPECT_EQ(GrabStarts(), before);
  EXPECT_FALSE(engine.grabbing());
  engine.CloseOverlay();
  EXPECT_TRUE(Overlays(display()).empty());
}

TEST_F(CaptureEngineTest, FreezeAndLiveRaceTheCallbackWithoutLosingTheGrabState) {
  PowerOn();
  source_.strobe_on = true;
  source_.strobe_delay = 0;
  source_.strobe_width = 0;
  CCaptureEngine& engine = LiveEngine();
  for (int i = 0; i < 40; ++i) {
    engine.Freeze();
    if (i % 3 == 0) {
      ASSERT_TRUE(WaitFields(1));
    }
    engine.LiveVideo();
    // Whatever the callback was doing, live means grabbing, also fields later.
    ASSERT_TRUE(WaitFields(i % 4));
    ASSERT_TRUE(engine.grabbing()) << "round " << i;
  }
  engine.DisarmStrobe();
  engine.Freeze();
  EXPECT_FALSE(engine.grabbing());
  ASSERT_TRUE(machine_->WaitUntilInterruptsServed());
  EXPECT_TRUE(board().video_dma().Errors().empty());
}

TEST_F(CaptureEngineTest, TheCameraTakesFlashModeUnderTheHourglassForAFreezeAndLiveModeAgainAfter) {
  PowerOn();
  source_.strobe_on = false;
  CCaptureEngine& engine = LiveEngine();
  Kessra32Camera().ClearCalls();
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  SetCursor(arrow);
  platform::ClearCursorLog();
  engine.Freeze();
  using Calls = std::vector<camera_sim::CameraCall>;
  EXPECT_EQ(Kessra32Camera().Calls(), (Calls{{"FlashMode", {0}}}));
  EXPECT_EQ(Kessra32Camera().State().mode, camera_sim::CameraMode::Flash);
  std::vector<HCURSOR> cursors = platform::CursorLog();
  ASSERT_EQ(cursors.size(), 2u);
  EXPECT_EQ(platform::CursorId(cursors[0]), 32514);
  EXPECT_EQ(cursors[1], arrow);

  Kessra32Camera().ClearCalls();
  engine.LiveVideo();
  EXPECT_EQ(Kessra32Camera().Calls(), (Calls{{"LiveMode", {}}}));
  EXPECT_EQ(Kessra32Camera().State().mode, camera_sim::CameraMode::Live);

  // With the camera controls off the camera is left alone.
  source_.camera_active = false;
  Kessra32Camera().ClearCalls();
  platform::ClearCursorLog();
  engine.Freeze();
  engine.LiveVideo();
  EXPECT_TRUE(Kessra32Camera().Calls().empty());
  EXPECT_TRUE(platform::CursorLog().empty());
}

}  // namespace
}  // namespace twain_ds_test
