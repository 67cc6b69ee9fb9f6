#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "rg7sdk/register_access.h"
#include "tests/rg7sdk/grab_fixture.h"

namespace {

using namespace sim::rg700;
using rg7_testing::Deliveries;
using rg7_testing::kBoardDmaDoneAndFields;
using rg7_testing::kDmaDone;
using rg7_testing::kDmaDoneAndFields;
using rg7_testing::kFields;
using rg7_testing::PinnedBuffer;

// Every stream's DMA request bits.
constexpr std::uint32_t kRequests =
    kVideoRequest | kVideoPointerRequest | kAudioRequest | kBitMaskRequest | kBitMaskPointerRequest;

class Grab : public rg7_testing::GrabTest {
 protected:
  void SetUp() override {
    GrabTest::SetUp();
    OpenBoard();
    ASSERT_EQ(RG7SetPixelMode(6), 0);
  }
  // The fields of the last frame the DMA wrote: buffer 0 (even rows), buffer 1 (odd rows).
  std::pair<std::uint32_t, std::uint32_t> LastFields() {
    std::pair<std::uint32_t, std::uint32_t> f{~0u, ~0u};
    for (const sim::DmaTransfer& t : hw().video_dma().Transfers()) (t.buffer == 0 ? f.first : f.second) = t.field;
    return f;
  }
  // Nothing runs and nothing re-arms: no DMA request, no load, the handler's bits off.
  void ExpectQuiet() {
    EXPECT_FALSE(GrabRunning());
    EXPECT_EQ(State(), rg7::GrabState::kIdle);
    EXPECT_EQ(hw().Register(kDmaControl) & kRequests, 0u);
    EXPECT_FALSE(hw().video_dma().loaded());
    std::size_t written = hw().video_dma().Transfers().size();
    EXPECT_TRUE(WaitFields(6));
    EXPECT_EQ(hw().video_dma().Transfers().size(), written);
  }
  void LoseSignal(bool lost) { hw().video_inputs().SetSource(0, sim::VideoSourceDesc{!lost, 0}); }
};

TEST_F(Grab, ASingleFrameArrivesWholeAndIsDeliveredOnce) {
  PinnedBuffer buf(640 * 480 * 2);
  Prepare(buf, 640, 480, 640);
  Deliveries& d = NewRecorder();
  Deliver(&d, kDmaDoneAndFields);
  ASSERT_EQ(RG7StartGrab(0, 1), 0);
  EXPECT_EQ(RG7StartGrab(0, 1), RG7_ERR_GRAB_RUNNING);
  EXPECT_EQ(RG7StartGrabField(0, 1), RG7_ERR_GRAB_RUNNING);
  ASSERT_TRUE(WaitGrabEnds());
  int dma = 0;
  for (std::uint32_t s : d.Take()) dma += (s & kDmaDone) != 0;
  EXPECT_EQ(dma, 1);  // the first completion after the load is never delivered
  std::int64_t first = Stamp(buf.data);
  ASSERT_GE(first, 0);
  EXPECT_EQ(first % 2, 0);  // begins with an odd field
  EXPECT_EQ(Stamp(buf.data + 1280), first + 1);
  EXPECT_TRUE(FrameHolds(buf.data, 1280, 480, first, first + 1));
  EXPECT_EQ(RG7StopGrab(nullptr, 0), RG7_ERR_GRAB_NOT_RUNNING);
  ExpectQuiet();
}

TEST_F(Grab, AFrameFromTheEvenFieldTakesTheNextFramesOddField) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  ASSERT_EQ(RG7StartGrab(0, 0), 0);
  ASSERT_TRUE(WaitGrabEnds());
  std::int64_t even = Stamp(buf.data + 640);
  ASSERT_EQ(even % 2, 1);
  EXPECT_EQ(Stamp(buf.data), even + 1);
  EXPECT_TRUE(FrameHolds(buf.data, 640, 64, even + 1, even));
}

TEST_F(Grab, AFrameOfTheCurrentParityAndOneIntoDisplayMemory) {
  // Field 2: the frame starts with a field of the parity running now.
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  ASSERT_EQ(RG7StartGrab(0, 2), 0);
  ASSERT_TRUE(WaitGrabEnds());
  auto [f0, f1] = LastFields();
  EXPECT_EQ(f0 > f1 ? f0 - f1 : f1 - f0, 1u);
  EXPECT_TRUE(FrameHolds(buf.data, 640, 64, f0, f1));
  ExpectFieldInfoFollowsTheParity();

  // Display memory (where overlay surfaces live) is one physical run the DMA reaches.
  sim::DisplayMemory& vram = machine_->display().memory();
  std::optional<std::uint32_t> at = vram.Allocate(320 * 64 * 2, 4096);
  ASSERT_TRUE(at.has_value());
  std::uint8_t* surface = vram.base() + *at;
  GrabWindowDesc d{};
  ASSERT_EQ(RG7SetGrabWindow(0, 0, 320, 64, &d), 0);
  ASSERT_EQ(RG7SetMasterModeTransfer(&d, surface, 320 * 64 * 2, 320), 0);
  ASSERT_EQ(RG7StartGrab(0, 1), 0);
  ASSERT_TRUE(WaitGrabEnds());
  std::tie(f0, f1) = LastFields();
  EXPECT_TRUE(FrameHolds(surface, 640, 64, f0, f1));
  vram.Free(*at);
}

using OtherDecoder = rg7_testing::GrabTest;

TEST_F(OtherDecoder, AVpc32x5cBoardGrabsTheSamePicture) {
  sim::Rg700Desc vpc;
  vpc.has_bt829a = false;
  vpc.has_vpc32x5c = true;
  OpenBoard(vpc);
  ASSERT_EQ(RG7SetPixelMode(6), 0);
  PinnedBuffer buf(640 * 480 * 2);
  Prepare(buf, 640, 480, 640);
  ASSERT_EQ(RG7StartGrab(0, 1), 0);
  ASSERT_TRUE(WaitGrabEnds());
  std::int64_t first = Stamp(buf.data);
  EXPECT_EQ(Stamp(buf.data + 1280), first + 1);
  EXPECT_EQ(first % 2, 0);
  EXPECT_TRUE(FrameHolds(buf.data, 1280, 480, first, first + 1));
  ExpectFieldInfoFollowsTheParity();
}

TEST_F(Grab, ScatteredTargetsGoDirectOrThroughTheBounceBuffers) {
  machine_->physical_memory().SetPinShape(sim::PinShape::kPermuted);
  {
    // Short lines: the DMA walks the target's page table.
    PinnedBuffer buf(320 * 100 * 2, 0x300);
    Prepare(buf, 320, 100, 320);
    ASSERT_EQ(record().master.field[0].bounce, 0u);
    ASSERT_EQ(RG7StartGrab(0, 1), 0);
    ASSERT_TRUE(WaitGrabEnds());
    auto [f0, f1] = LastFields();
    EXPECT_TRUE(FrameHolds(buf.data, 640, 100, f0, f1));
  }
  for (std::uint32_t dib : {0u, 1u}) {
    // Long lines: the DMA fills the bounce buffers and the handler copies, top-down or bottom-up.
    PinnedBuffer buf(640 * 120 * 2);
    Prepare(buf, 640, 120, 640);
    ASSERT_EQ(record().master.field[1].bounce, 1u);
    ASSERT_EQ(RG7SetDIBMode(dib), 0);
    ASSERT_EQ(RG7StartGrab(0, 1), 0);
    ASSERT_TRUE(WaitGrabEnds());
    auto [f0, f1] = LastFields();
    EXPECT_TRUE(FrameHolds(buf.data, 1280, 120, f0, f1, dib != 0)) << "DIB mode " << dib;
  }
}

TEST_F(Grab, PixelFormatsCropMirrorAndScaling) {
  struct Case {
    std::uint32_t code, bpp, mirror;
    float h, v;
  } cases[] = {{2, 2, 0, 1.0f, 1.0f}, {4, 3, 1, 1.0f, 1.0f}, {5, 4, 0, 2.0f, 2.0f}, {6, 2, 1, 1.0f, 1.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ASSERT_EQ(RG7SetPixelMode(c.code), 0);
    ASSERT_EQ(RG7SetMirrorMode(c.mirror), 0);
    ASSERT_EQ(RG7SetScaleFactor(c.h, c.v), 0);
    PinnedBuffer buf(256 * 100 * c.bpp);
    Prepare(buf, 256, 100, 256, 40, 20);
    ASSERT_EQ(RG7StartGrab(0, 1), 0);
    ASSERT_TRUE(WaitGrabEnds());
    sim::CaptureFormat f = sim::CaptureFormatOf(hw());
    EXPECT_EQ(f.out_pixels(), static_cast<int>(256 / c.h));
    EXPECT_EQ(f.out_lines(), static_cast<int>(50 / c.v));
    auto [f0, f1] = LastFields();
    EXPECT_TRUE(FrameHolds(buf.data, 256 * c.bpp, 2 * f.out_lines(), f0, f1));
  }
}

TEST_F(Grab, AContinuousGrabStopsFromTheCallersThread) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  Deliveries& d = NewRecorder();
  Deliver(&d, kDmaDone);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  ASSERT_TRUE(WaitDeliveries(d, 8));
  std::vector<std::uint32_t> s = d.Take();
  for (std::size_t i = 1; i < s.size(); ++i) EXPECT_EQ(s[i] ^ s[i - 1], kDmaDone) << i;  // the two buffers alternate
  EXPECT_EQ(RG7WaitForVSync(), 0);
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
  ExpectQuiet();
  // It stopped at the end of a frame.
  std::int64_t first = Stamp(buf.data);
  EXPECT_EQ(first % 2, 0);
  EXPECT_TRUE(FrameHolds(buf.data, 640, 64, first, first + 1));
}

struct StopInside {
  Deliveries seen;
  std::atomic<std::int32_t> result{1};
};
std::uint32_t StopsOnTheThird(std::uint32_t status, std::uintptr_t context) {
  auto* s = reinterpret_cast<StopInside*>(context);
  rg7_testing::RecordDelivery(status, reinterpret_cast<std::uintptr_t>(&s->seen));
  if (s->seen.count.load() == 3) s->result.store(RG7StopGrab(nullptr, 0));
  return 0;
}
std::uint32_t Deferred(std::uint32_t status, std::uintptr_t context) {
  return rg7_testing::RecordDelivery(status, context);
}

TEST_F(Grab, StopsFromInsideACallbackAndDeferredStops) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  StopInside inside;
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, StopsOnTheThird, kDmaDone, reinterpret_cast<std::uintptr_t>(&inside)), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(StopsOnTheThird)), 0);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  ASSERT_TRUE(WaitGrabEnds());
  EXPECT_EQ(inside.result.load(), 0);
  ExpectQuiet();
  EXPECT_EQ(inside.seen.count.load(), 3);
  ASSERT_EQ(RG7DisconnectInterruptCallback(0, StopsOnTheThird), 0);

  // A deferred stop ends the continuous grab after its frame and calls back once.
  Deliveries& stopped = NewRecorder();
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  ASSERT_TRUE(WaitFields(6));
  ASSERT_EQ(RG7StopGrab(Deferred, reinterpret_cast<std::uintptr_t>(&stopped)), 0);
  ASSERT_TRUE(WaitGrabEnds());
  EXPECT_EQ(stopped.Take(), std::vector<std::uint32_t>{0});
  ExpectQuiet();
}

TEST_F(Grab, StopsAreBoundedAndLeaveNothingArmed) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  // The signal goes during a continuous grab: the stop gives up waiting for the frame.
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  ASSERT_TRUE(WaitFields(6));
  LoseSignal(true);
  DWORD start = GetTickCount();
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(RG7WaitForVSync(), RG7_ERR_NO_SIGNAL);
  EXPECT_EQ(RG7StartGrab(0, 1), RG7_ERR_NO_SIGNAL);
  LoseSignal(false);
  ExpectQuiet();
  EXPECT_EQ(hw().Register(kInterruptMask) & kBoardDmaDoneAndFields, 0u);

  // Stopped while it waits for a trigger, a grab does not wake on a later one.
  ASSERT_EQ(RG7StartGrab(2, 1), 0);
  ASSERT_TRUE(WaitFields(4));
  EXPECT_EQ(State(), rg7::GrabState::kWaitTrigger);
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
  EXPECT_EQ(RG7GenerateTrigger(), 0);
  ExpectQuiet();
  EXPECT_EQ(hw().Register(kInterruptMask), 0u);
  // And a new grab runs as usual.
  ASSERT_EQ(RG7StartGrab(0, 1), 0);
  EXPECT_TRUE(WaitGrabEnds());
}

TEST_F(Grab, TriggerModes) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  Deliveries& d = NewRecorder();
  Deliver(&d, kDmaDone);
  EXPECT_EQ(RG7StartGrab(6, 1), RG7_ERR_PARAMETER);
  // Mode 2, single: the frame starts on the trigger.
  ASSERT_EQ(RG7StartGrab(2, 1), 0);
  ASSERT_TRUE(WaitFields(6));
  EXPECT_EQ(d.count.load(), 0);
  EXPECT_TRUE(hw().video_dma().Transfers().empty());
  ASSERT_EQ(RG7GenerateTrigger(), 0);
  ASSERT_TRUE(WaitGrabEnds());
  EXPECT_EQ(d.count.load(), 1);
  auto [f0, f1] = LastFields();
  EXPECT_EQ(f1, f0 + 1);

  // Mode 2, continuous: one frame for each trigger.
  ASSERT_EQ(RG7StartGrab(3, 1), 0);
  for (int trigger = 1; trigger <= 2; ++trigger) {
    ASSERT_EQ(RG7GenerateTrigger(), 0);
    ASSERT_TRUE(WaitFields(8));
    EXPECT_EQ(d.count.load(), 1 + trigger);
    EXPECT_EQ(State(), rg7::GrabState::kWaitTrigger);
  }
  ASSERT_EQ(RG7StopGrab(nullptr, 0), 0);

  // Mode 4: a trigger ends the continuous grab after its frame.
  ASSERT_EQ(RG7StartGrab(5, 1), 0);
  ASSERT_TRUE(WaitFields(8));
  EXPECT_TRUE(GrabRunning());
  ASSERT_EQ(RG7GenerateTrigger(), 0);
  ASSERT_TRUE(WaitGrabEnds());
  ExpectQuiet();
}

TEST_F(Grab, SingleFieldGrabsTakeOneParity) {
  PinnedBuffer odd(320 * 32 * 2), even(320 * 32 * 2);
  GrabWindowDesc d{};
  ASSERT_EQ(RG7SetGrabWindow(0, 0, 320, 64, &d), 0);
  ASSERT_EQ(RG7SetMasterModeTransferField(&d, odd.data, odd.size, 320, 0), 0);
  ASSERT_EQ(RG7SetMasterModeTransferField(&d, even.data, even.size, 320, 1), 0);
  Deliveries& got = NewRecorder();
  Deliver(&got, kDmaDone);
  for (std::int32_t field : {0, 1}) {
    SCOPED_TRACE(field);
    hw().video_dma().ClearTransfers();
    ASSERT_EQ(RG7StartGrabField(0, field), 0);
    ASSERT_TRUE(WaitGrabEnds());
    for (const sim::DmaTransfer& t : hw().video_dma().Transfers()) EXPECT_EQ(t.buffer, field);
    const std::uint8_t* lines = field == 0 ? odd.data : even.data;
    std::int64_t k = Stamp(lines);
    EXPECT_EQ(k % 2, field);
    sim::CaptureFormat f = sim::CaptureFormatOf(hw());
    for (int i = 0; i < 32; ++i)
      ASSERT_EQ(sim::ExpectedCaptureLine(f, static_cast<std::uint32_t>(k), i),
                std::vector<std::uint8_t>(lines + i * 640, lines + (i + 1) * 640));
    EXPECT_EQ((hw().Register(kOutputConfig) >> kDisplayModeShift) & kDisplayModeMask,
              kDisplayBothFields);  // back to frames
    EXPECT_EQ(record().grab_state.load() & rg7::grab::kFieldGrab, 0u);
  }
  EXPECT_EQ(got.Take(), (std::vector<std::uint32_t>{RG7_IRQ_DMA_DONE_0, RG7_IRQ_DMA_DONE_1}));
}

TEST_F(Grab, VerticalSyncQueriesDoNotStealTheGrabsFields) {
  EXPECT_EQ(RG7WaitForVSync(), RG7_ERR_NO_SIGNAL);  // no field interrupt enabled
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  ASSERT_EQ(RG7StartGrab(0, 1), 0);
  std::int32_t seen = 0;
  while (GrabRunning()) seen |= RG7GetVSyncInfo();
  ASSERT_TRUE(WaitGrabEnds());
  seen |= RG7GetVSyncInfo();  // what came while this thread was not running
  EXPECT_NE(seen & kFields, 0u);
  std::int64_t first = Stamp(buf.data);
  EXPECT_TRUE(FrameHolds(buf.data, 640, 64, first, first + 1));
}

TEST_F(Grab, GrabWindowChecks) {
  GrabWindowDesc d{};
  EXPECT_EQ(RG7SetGrabWindow(0, 0, 640, 480, &d), 0);
  EXPECT_EQ(RG7SetGrabWindow(1, 0, 640, 480, &d), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7SetGrabWindow(0, 1, 640, 480, &d), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7SetGrabWindow(0xFFFFFFFF, 0, 2, 10, &d), RG7_ERR_PARAMETER);  // would wrap to 1
  EXPECT_EQ(RG7SetGrabWindow(0, 0xFFFFFFF0, 10, 0x20, &d), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7SetGrabWindow(0, 0, 10, 10, nullptr), RG7_ERR_PARAMETER);
  rg7::RG7CameraRecord& cam = record().cameras[0];
  cam.window_id = 0xFFFF;
  ASSERT_EQ(RG7SetGrabWindow(8, 6, 100, 50, &d), 0);
  EXPECT_EQ(d.window_id, 0u);  // board 0, camera 0, count wrapped
  EXPECT_EQ(d.x, 8u);
  EXPECT_EQ(d.height, 50u);
  EXPECT_EQ(d.pixel_code, 6u);
  EXPECT_EQ(rg7::IHW_GetField(rg7::VXP_VCROP_BOTTOM), cam.crop_origin_y + 28 + 1);
  cam.configured = 0;
  EXPECT_EQ(RG7SetGrabWindow(0, 0, 10, 10, &d), RG7_ERR_NOT_CONFIGURED);
  cam.configured = 1;
  ASSERT_EQ(RG7Close(), 0);
  EXPECT_EQ(RG7SetGrabWindow(0, 0, 10, 10, &d), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7StartGrab(0, 1), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7StopGrab(nullptr, 0), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7WaitForVSync(), RG7_ERR_NOT_OPEN);
}

}  // namespace
