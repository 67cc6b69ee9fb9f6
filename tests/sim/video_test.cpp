#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_capture_format.h"
#include "sim/rg700/rg700_gio.h"
#include "sim/rg700/rg700_registers.h"
#include "sim/rg700/rg700_video_clock.h"
#include "sim/rg700/rg700_video_dma.h"
#include "sim/video/test_pattern.h"
#include "tests/sim/pinned_buffer.h"

namespace {

using namespace sim::rg700;

TEST(TestPicture, StampRampsAndColour) {
  sim::CaptureFormat f;
  f.pixels = 640;
  f.source_lines = 240;
  f.crop_left = f.origin_x = 122;
  f.crop_top = f.origin_y = 16;
  for (sim::CapturePixel p :
       {sim::CapturePixel::kYuv422, sim::CapturePixel::kRgb555, sim::CapturePixel::kRgb24, sim::CapturePixel::kRgb32}) {
    f.pixel = p;
    std::vector<std::uint8_t> line = sim::ExpectedCaptureLine(f, 0xBEEF, 7);
    ASSERT_EQ(line.size(), 640u * f.bytes_per_pixel());
    EXPECT_EQ(sim::DecodeFieldStamp(line.data(), p), 0xBEEF);
  }
  // Lines of one field differ, and so do the frames.
  f.pixel = sim::CapturePixel::kYuv422;
  EXPECT_NE(sim::ExpectedCaptureLine(f, 4, 1), sim::ExpectedCaptureLine(f, 4, 2));
  auto a = sim::ExpectedCaptureLine(f, 4, 1), b = sim::ExpectedCaptureLine(f, 6, 1);
  EXPECT_NE(std::vector<std::uint8_t>(a.begin() + 64, a.end()), std::vector<std::uint8_t>(b.begin() + 64, b.end()));
  // Mirror reverses the luma; outside the picture is black.
  f.mirror = true;
  auto m = sim::ExpectedCaptureLine(f, 4, 1);
  for (int i = 0; i < 640; ++i) ASSERT_EQ(m[2 * i], a[2 * (639 - i)]);
  EXPECT_EQ(sim::PatternPixel(0, 0, 640, 0).y, 16);
  EXPECT_EQ(sim::PatternPixel(1, 0, 700, 570).y, sim::PatternPixel(1, 0, 700, 570).y);
  EXPECT_EQ(sim::PatternPixel(0, 0, 100, 480).u, 128);

  std::uint8_t r, g, bl;
  sim::YuvToRgb({235, 128, 128}, &r, &g, &bl);
  EXPECT_EQ((std::vector<int>{r, g, bl}), (std::vector<int>{255, 255, 255}));
  sim::YuvToRgb({81, 90, 240}, &r, &g, &bl);
  EXPECT_EQ((std::vector<int>{r, g, bl}), (std::vector<int>{254, 0, 0}));
}

// A board whose Bt829A looks at input 2 until something reprograms it.
class VideoBoard : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::MachineDescription d = sim::MachineDescription::Default();
    d.rg700_boards[0].inputs[2] = sim::VideoSourceDesc{true, 0};
    d.rg700_boards[0].timing = sim::VideoTimingDesc{true, 1000, true};
    machine_ = &sim::PowerOn(d);
    board_ = &machine_->rg700(0);
    board_->SetInterruptSink([this](std::uint32_t bits) {
      std::lock_guard lock(mutex_);
      raised_.push_back(bits);
    });
  }
  void TearDown() override { sim::PowerOff(); }
  void W(std::uint32_t index, std::uint32_t value) {
    board_->MmioWrite(index * 4, index < kFirstByteRegister ? 4 : 1, value);
  }
  void W10(std::uint32_t low, std::uint32_t value) {
    W(low, value & 0xFF);
    W(low + 1, value >> 8);
  }
  std::vector<std::uint32_t> Raised() {
    std::lock_guard lock(mutex_);
    return raised_;
  }
  void ClearRaised() {
    std::lock_guard lock(mutex_);
    raised_.clear();
  }
  bool Fields(std::uint32_t n) {
    sim::Rg700VideoClock& c = board_->video_clock();
    return c.WaitForFieldCount(c.field_count() + n);
  }

  sim::Machine* machine_ = nullptr;
  sim::Rg700Board* board_ = nullptr;
  std::mutex mutex_;
  std::vector<std::uint32_t> raised_;
};

TEST_F(VideoBoard, FieldsFollowTheCameraAndCarryTheirParity) {
  ASSERT_TRUE(Fields(4));
  // A Bt829A drives the parity line high in even fields. Slow fields leave time to look.
  board_->video_clock().SetFieldPeriodUs(50000);
  ASSERT_TRUE(Fields(1));
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(Fields(1));
    std::uint32_t parity = board_->MmioRead(kGioB * 4, 1) & kGioFieldParity;
    EXPECT_EQ(parity != 0, !sim::IsOddField(board_->video_clock().field_count() - 1));
  }
  board_->video_clock().SetFieldPeriodUs(1000);
  board_->video_inputs().SetSource(2, sim::VideoSourceDesc{false, 0});
  Sleep(5);
  std::uint32_t stopped = board_->video_clock().field_count();
  Sleep(15);
  EXPECT_EQ(board_->video_clock().field_count(), stopped);
  board_->video_inputs().SetSource(2, sim::VideoSourceDesc{true, 1});
  ASSERT_TRUE(Fields(2));
  // Nothing masked in: every field waits in the status register.
  EXPECT_EQ(board_->Register(kInterruptStatus) & (kOddField | kEvenField), kOddField | kEvenField);
  board_->video_clock().Stop();
  board_->video_clock().Stop();
  EXPECT_FALSE(board_->video_clock().running());
}

TEST_F(VideoBoard, TheDmaWalksThePageTableAndReportsFieldsItPasses) {
  machine_->physical_memory().SetPinShape(sim::PinShape::kPagePerEntry);
  sim_test::PinnedBuffer target(4), table(1);
  std::vector<sim::PhysicalRun> runs, tableRun;
  ASSERT_EQ(machine_->physical_memory().PageList(target.data + 0xF80, 3 * 4096, &runs), sim::PageListResult::kListed);
  ASSERT_EQ(machine_->physical_memory().PageList(table.data, 4096, &tableRun), sim::PageListResult::kListed);
  ASSERT_EQ(runs.size(), 4u);
  auto* entries = reinterpret_cast<std::uint32_t*>(table.data);
  for (std::size_t i = 0; i < runs.size(); ++i) entries[i] = runs[i].address;

  W10(kCropLeft, 122), W10(kCropRight, 122 + 64);   // 64 pixels
  W10(kCropTop, 16), W10(kCropBottom, 16 + 8 + 1);  // 8 lines
  W(kHorizontalScale, 1), W(kVerticalScaleWhole, 1);
  W(kOutputConfig, kDisplayOddFields << kDisplayModeShift | kOutputYuv422);
  W(kVideoAddress1, runs[0].address), W(kVideoPointer1, tableRun[0].address + 4);
  W(kVideoAddress2, 0x1000), W(kVideoPointer2, 0x2000);
  W(kVideoStride, 1024 / 4);
  W(kInterruptMask, kEvenField | kOddField | kDma2Done | kDma1Done);
  const std::uint32_t run = kVideoRequest | kVideoPointerRequest;
  W(kDmaControl, run);
  W(kDmaControl, run | kVideoLoad), W(kDmaControl, run);
  ASSERT_TRUE(Fields(6));
  // A field is done when the next field it passes begins: with the odd field's
  // interrupt, never with the even one's.
  for (std::uint32_t bits : Raised()) {
    if (bits & kDma1Done) {
      EXPECT_EQ(bits & (kOddField | kEvenField), kOddField);
    }
    EXPECT_EQ(bits & kDma2Done, 0u);
  }
  // End after this frame: no field starts once it is set, and a new load is needed.
  W(kPciControl, kEndAfterFrame);
  ASSERT_TRUE(Fields(3));
  EXPECT_FALSE(board_->video_dma().loaded());
  W(kPciControl, 0);
  std::vector<sim::DmaTransfer> t = board_->video_dma().Transfers();
  ASSERT_GE(t.size(), 2u);
  for (const sim::DmaTransfer& x : t) EXPECT_EQ(x.buffer, 0);
  ASSERT_TRUE(Fields(4));
  EXPECT_EQ(board_->video_dma().Transfers().size(), t.size());

  // Lines 1024 bytes apart across four scattered pages; the gaps keep what was there.
  sim::CaptureFormat f = sim::CaptureFormatOf(*board_);
  ASSERT_EQ(f.line_bytes(), 128u);
  for (int i = 0; i < 8; ++i) {
    std::vector<std::uint8_t> want = sim::ExpectedCaptureLine(f, t.back().field, i);
    const std::uint8_t* line = target.data + 0xF80 + i * 1024;
    ASSERT_EQ(std::memcmp(line, want.data(), 128), 0) << i;
    EXPECT_EQ(line[128], 0xEE);
  }
  EXPECT_TRUE(board_->video_dma().Errors().empty());

  // Both fields after a new load: buffer 1 points at memory nothing pinned, an error.
  W(kOutputConfig, kDisplayBothFields << kDisplayModeShift | kOutputYuv422);
  W(kDmaControl, run | kVideoLoad), W(kDmaControl, run);
  ASSERT_TRUE(Fields(3));
  std::vector<std::string> e = board_->video_dma().Errors();
  ASSERT_FALSE(e.empty());
  EXPECT_NE(e[0].find("buffer 1"), std::string::npos) << e[0];
  EXPECT_NE(e[0].find("not in pinned memory"), std::string::npos) << e[0];
  EXPECT_GT(board_->video_dma().Transfers().size(), t.size());
  // A FIFO flush drops it.
  W(kDmaControl, run | kVideoFifoFlush), W(kDmaControl, run);
  EXPECT_FALSE(board_->video_dma().loaded());
  board_->video_dma().ClearErrors();
}

TEST_F(VideoBoard, GioLatchesStrobeAndPolarity) {
  sim::Rg700Gio& gio = board_->gio();
  W(kInterruptMask, kDecoderInterrupt);
  W(kGioB, kGioEventPolarity | kGioEventLatchEnable);  // event active high, latch enabled
  ClearRaised();
  gio.SetEventInput(true);
  EXPECT_EQ(board_->MmioRead(kGioB * 4, 1) & kGioEventLatched, kGioEventLatched);
  EXPECT_EQ(Raised(), std::vector<std::uint32_t>{kDecoderInterrupt});
  gio.SetEventInput(true);  // no edge, no second latch
  EXPECT_EQ(gio.event_latches(), 1u);
  W(kGioB, kGioEventPolarity);  // acknowledge
  EXPECT_EQ(board_->MmioRead(kGioB * 4, 1) & kGioEventLatched, 0u);
  W(kGioB, kGioEventPolarity | kGioEventLatchEnable);
  // Flipping the polarity makes the line active low: the high line is idle now,
  // and flipping back is an edge.
  W(kGioB, kGioEventLatchEnable);
  W(kGioB, kGioEventPolarity | kGioEventLatchEnable);
  EXPECT_EQ(gio.event_latches(), 2u);
  // The trigger latch stays off while its enable is.
  gio.SetTriggerInput(true);
  gio.SetTriggerInput(false);
  EXPECT_EQ(gio.trigger_latches(), 0u);

  W(kGioB, kGioStrobe);
  ASSERT_TRUE(Fields(2));
  W(kGioB, 0);
  W(kGioB, kGioStrobe);
  ASSERT_TRUE(Fields(2));
  std::vector<sim::StrobeField> h = gio.StrobeHistory();
  int pulsed = 0;
  for (const sim::StrobeField& s : h) pulsed += s.level_at_start && s.seen_low;
  EXPECT_EQ(pulsed, 1);
  EXPECT_TRUE(gio.strobe());
}

}  // namespace
