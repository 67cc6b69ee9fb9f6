// The 650-series board's video port, driven through its registers as the library
// would: what lands in display memory for each type and camera standard, the
// window and decimation, when fields are written, and where writes stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "sim/video/test_pattern.h"
#include "tests/sim/kt650_interrupts.h"
#include "tests/sim/kt650_serial_master.h"

namespace {

namespace kt650 = sim::kt650;
using sim_test::Kt650;
using sim_test::PowerOnWith;
using sim_test::StoppedClock;
using sim_test::WriteUlong;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kFrame = 0x100000;
constexpr std::uint8_t kControl = kt650::kBoardControlAddress;
constexpr std::uint8_t kContinuous = kt650::kCaptureContinuous | kt650::kCaptureStartNext;

std::uint16_t ChipOf(std::uint8_t type) {
  return type == 0 ? kt650::kChip5631 : type < kt650::kFirstType8A22 ? kt650::kChip8A01 : kt650::kChip8A22;
}

// The window as the library means it: pixels and field lines.
struct Window {
  int x = 0, y = 0, width = 0;
  int last_line = 0;  // L: lines 0..L of each field
  std::uint32_t horizontal_mask = 0, vertical_mask = 0;
  std::uint32_t buffer0 = 0, buffer1 = 0, stride = 0;
};

// The library's default window, corrected for the board's type.
Window DefaultWindow(std::uint8_t type, std::uint16_t standard) {
  bool pal = standard == 1;
  Window w;
  w.x = pal ? 85 : 51;
  w.y = pal ? 16 : 10;
  if (type == 3) {
    w.x -= pal ? 82 : 48;
    w.y += 4;
  } else if (type == 4) {
    w.x += pal ? 31 : 23;
  }
  return w;
}

// Whether field 0 carries the frame's odd rows, its line 0 being the row above.
bool FieldZeroIsOdd(std::uint8_t type, std::uint16_t standard) { return standard == 0 && type != 4; }

Bytes PatternLine(std::uint16_t standard, std::uint32_t count, int row, const std::vector<int>& xs) {
  Bytes line;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    sim::Yuv p = sim::PatternPixel(standard, count, xs[i], row);
    sim::Yuv pairFirst = sim::PatternPixel(standard, count, xs[i - i % 2], row);
    line.push_back(p.y);
    line.push_back(i % 2 ? pairFirst.v : pairFirst.u);
  }
  return line;
}

std::vector<int> Kept(int first, int n, std::uint32_t mask) {
  std::vector<int> kept;
  for (int i = 0; i < n; ++i)
    if (!((mask >> (i % 32)) & 1)) kept.push_back(first + i);
  return kept;
}

class Kt650VideoPort : public ::testing::Test {
 protected:
  void TearDown() override { sim::PowerOff(); }

  sim::Kt650Board& Board(std::uint8_t type, std::uint16_t standard = 0, std::uint32_t periodUs = 1000) {
    sim::Kt650Desc d = StoppedClock(Kt650(ChipOf(type), type, -1), periodUs);
    d.cameras.PutEverywhere(0, sim::VideoSourceDesc{true, standard});
    board_ = &PowerOnWith({d}).kt650(0);
    type_ = type;
    standard_ = standard;
    master_ = std::make_unique<sim_test::Kt650SerialMaster>(*board_);
    return *board_;
  }

  void Program(const Window& w) {
    sim::Kt650Board& b = *board_;
    std::uint32_t f = type_ >= kt650::kFirstType8A22 ? 2 : 1;
    WriteUlong(b, kt650::kVideoWindowOffset, (w.x * f - 2) | std::uint32_t(w.y) << 16);
    WriteUlong(b, kt650::kVideoWindowSize, (w.width * f - 2) | std::uint32_t(w.last_line) << 16);
    WriteUlong(b, kt650::kHorizontalDecimation, w.horizontal_mask);
    WriteUlong(b, kt650::kVerticalDecimation, w.vertical_mask);
    WriteUlong(b, kt650::kFieldBuffer0, w.buffer0);
    WriteUlong(b, kt650::kFieldBuffer1, w.buffer1);
    WriteUlong(b, kt650::kVideoLineStride, w.stride);
    window_ = w;
  }

  // The default window over a frame at kFrame, one pitch per row.
  Window FrameWindow() {
    sim::PictureGeometry g = sim::GeometryOf(standard_);
    Window w = DefaultWindow(type_, standard_);
    std::uint32_t pitch = g.width * 2;
    w.width = g.width;
    w.last_line = g.height / 2;
    w.buffer0 = FieldZeroIsOdd(type_, standard_) ? kFrame - pitch : kFrame;
    w.buffer1 = FieldZeroIsOdd(type_, standard_) ? kFrame : kFrame + pitch;
    w.stride = 2 * pitch;
    return w;
  }

  void BoardControl(std::uint8_t reg, std::uint8_t value) { master_->Transmit(kControl, {reg, value}); }

  // Types 0-2: the port runs with the window's own mask. Types 3-5: also register 7.
  void StartCapture(std::uint8_t mode = kContinuous) {
    if (type_ >= kt650::kFirstType8A22) {
      BoardControl(kt650::kBcCaptureEnable, kt650::kCaptureEnabled);
      BoardControl(kt650::kBcCapture, kt650::kCaptureOn | mode);
    } else {
      WriteUlong(*board_, kt650::kHorizontalDecimation, window_.horizontal_mask);
    }
    WriteUlong(*board_, kt650::kVideoPortControl, kt650::kVideoPortRun);
  }

  // Stops capture the way each family does, with the port left running.
  void StopCapture() {
    if (type_ < kt650::kFirstType8A22)
      WriteUlong(*board_, kt650::kHorizontalDecimation, kt650::kDecimationFreeze);
    else
      BoardControl(kt650::kBcCapture, kContinuous);
  }

  // The next `fields` fields of the (stopped) clock, at once.
  void RunFields(std::uint32_t fields) { board_->field_clock().Step(fields); }
  // Fields until `n` more are written.
  void RunUntilWritten(std::uint64_t n) {
    std::uint64_t target = Port().fields_written() + n;
    for (int i = 0; i < 200 && Port().fields_written() < target; ++i) RunFields(1);
    ASSERT_EQ(Port().fields_written(), target);
  }

  sim::Kt650VideoPort& Port() { return board_->video_port(); }
  std::uint8_t* Memory(std::uint32_t offset) { return board_->frame_buffer().base() + offset; }
  Bytes Snapshot(std::uint32_t offset, std::uint32_t n) { return Bytes(Memory(offset), Memory(offset) + n); }

  // The count of the last field written of parity `field`, both fields running.
  std::uint32_t LastOf(unsigned field) {
    std::uint32_t last = Port().last_field();
    return (last & 1) == field ? last : last - 1;
  }

  // The first frame row (from -1) that differs from the pattern, or -2.
  int FirstBadFrameRow() {
    sim::PictureGeometry g = sim::GeometryOf(standard_);
    std::uint32_t pitch = g.width * 2;
    std::vector<int> xs = Kept(0, g.width, 0);
    bool odd = FieldZeroIsOdd(type_, standard_);
    for (int row = odd ? -1 : 0; row < g.height; ++row) {
      unsigned field = odd ? 1 - (row & 1) : (row & 1);
      Bytes want = PatternLine(standard_, LastOf(field), row, xs);
      if (std::memcmp(Memory(kFrame + row * int(pitch)), want.data(), want.size()) != 0) return row;
    }
    return -2;
  }

  // The first written line of field `field` (count) that differs from the window's
  // rule, or -1.
  int FirstBadFieldLine(unsigned field, std::uint32_t count, std::size_t maxLines = SIZE_MAX) {
    Window w = window_;
    Window origin = DefaultWindow(type_, standard_);
    int parity = FieldZeroIsOdd(type_, standard_) ? int(field) - 1 : int(field);
    std::vector<int> xs = Kept(w.x - origin.x, w.width, w.horizontal_mask);
    std::vector<int> lines = Kept(0, w.last_line + 1, w.vertical_mask);
    std::uint32_t at = field ? w.buffer1 : w.buffer0;
    for (std::size_t j = 0; j < lines.size() && j < maxLines; ++j, at += w.stride) {
      Bytes want = PatternLine(standard_, count, 2 * (w.y - origin.y + lines[j]) + parity, xs);
      if (std::memcmp(Memory(at), want.data(), want.size()) != 0) return int(j);
    }
    return -1;
  }

  sim::Kt650Board* board_ = nullptr;
  std::uint8_t type_ = 0;
  std::uint16_t standard_ = 0;
  Window window_;
  std::unique_ptr<sim_test::Kt650SerialMaster> master_;
};

struct TypeAndStandard {
  std::uint8_t type;
  std::uint16_t standard;
};
constexpr TypeAndStandard kTypesAndStandards[] = {{2, 0}, {2, 1}, {3, 0}, {3, 1}, {4, 0}, {4, 1}};

TEST_F(Kt650VideoPort, TheDefaultWindowCapturesThePatternRowForRowAndFollowsTheFields) {
  for (const TypeAndStandard& c : kTypesAndStandards) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " standard " << c.standard);
    // The camera switches standards after power-on, as a test may.
    sim::Kt650Board& b = Board(c.type);
    b.video_inputs().SetStandard(0, c.standard);
    standard_ = c.standard;
    Program(FrameWindow());
    StartCapture();
    for (int run = 0; run < 2; ++run) {
      std::uint32_t before = Port().last_field();
      RunUntilWritten(3);
      EXPECT_GT(sim::FrameOf(Port().last_field()), sim::FrameOf(before));
      EXPECT_EQ(FirstBadFrameRow(), -2);
    }
    // Below the picture, nothing but black.
    sim::PictureGeometry g = sim::GeometryOf(c.standard);
    EXPECT_EQ(Snapshot(kFrame + g.height * g.width * 2, 4), (Bytes{16, 128, 16, 128}));
    sim::PowerOff();
  }
}

TEST_F(Kt650VideoPort, DecimationAndACroppedWindowKeepTheMaskedPixelsAndLines) {
  struct Case {
    const char* name;
    std::uint8_t type;
    std::uint16_t standard;
    int dx, dy, width, lines;
    std::uint32_t horizontal, vertical;
  };
  const Case cases[] = {
      {"by 2", 3, 0, 0, 0, 640, 240, 0x33333333, 0x55555555},
      {"by 4", 3, 0, 0, 0, 640, 240, 0x3F3F3F3F, 0x77777777},
      {"by 2 older chip", 2, 1, 0, 0, 768, 288, 0x33333333, 0x55555555},
      {"cropped", 4, 1, 100, 30, 201, 50, 0, 0},
      {"cropped by 4", 2, 0, 37, 11, 300, 61, 0x3F3F3F3F, 0x77777777},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Board(c.type, c.standard);
    Window w = DefaultWindow(c.type, c.standard);
    w.x += c.dx;
    w.y += c.dy;
    w.width = c.width;
    w.last_line = c.lines - 1;
    w.horizontal_mask = c.horizontal;
    w.vertical_mask = c.vertical;
    // The kept pixels of a line, then a gap the port must leave alone.
    std::uint32_t bytes = 2 * std::uint32_t(Kept(0, c.width, c.horizontal).size());
    w.stride = bytes + 16;
    w.buffer0 = kFrame;
    w.buffer1 = kFrame + 0x100000;
    std::memset(Memory(kFrame), 0xEE, 0x200000);
    Program(w);
    StartCapture();
    RunUntilWritten(2);
    EXPECT_EQ(FirstBadFieldLine(0, LastOf(0)), -1);
    EXPECT_EQ(FirstBadFieldLine(1, LastOf(1)), -1);
    EXPECT_EQ(Snapshot(kFrame + bytes, 16), Bytes(16, 0xEE));
    std::uint32_t kept = std::uint32_t(Kept(0, c.lines, c.vertical).size());
    EXPECT_EQ(*Memory(kFrame + kept * w.stride), 0xEE);
    sim::PowerOff();
  }
}

TEST_F(Kt650VideoPort, AFreezeKeepsTheLastWholeFieldAndDropsTheOneUnderWay) {
  struct Freeze {
    const char* name;
    std::uint8_t type;
  };
  for (const Freeze& c : {Freeze{"decimation freeze", 2}, Freeze{"register 7 bit 7 off", 3}}) {
    SCOPED_TRACE(c.name);
    Board(c.type, 0, 20000);
    Program(FrameWindow());
    StartCapture();
    RunUntilWritten(2);
    std::uint64_t written = Port().fields_written();
    Bytes frame = Snapshot(kFrame, 480 * 1280);
    StopCapture();
    RunFields(4);
    EXPECT_EQ(Port().fields_written(), written);
    EXPECT_EQ(Snapshot(kFrame, 480 * 1280), frame);
    // On again during a field: the port takes that field.
    StartCapture();
    RunFields(1);
    EXPECT_EQ(Port().fields_written(), written + 1);
    // Off before a field's end drops it; on again before the end keeps it.
    StopCapture();
    RunFields(1);
    EXPECT_EQ(Port().fields_written(), written + 1);
    StopCapture();
    StartCapture();
    RunFields(1);
    EXPECT_EQ(Port().fields_written(), written + 2);
    sim::PowerOff();
  }
}

TEST_F(Kt650VideoPort, ASingleFrameIsWrittenOnceAndCompletesAfterCaptureGoesOff) {
  struct Case {
    const char* name;
    std::uint8_t mode;
    std::uint64_t fields;
    unsigned last_parity;
  };
  const Case cases[] = {
      {"two fields from field 0", kt650::kCaptureSingleFrame | kt650::kCaptureTwoFields, 2, 1},
      {"two fields from field 1", kt650::kCaptureSingleFrame | kt650::kCaptureTwoFields | kt650::kCaptureStartField1, 2,
       0},
      {"one field 1", kt650::kCaptureSingleFrame | kt650::kCaptureStartField1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::Kt650Board& b = Board(3);
    Program(FrameWindow());
    std::uint32_t underWay = b.field_clock().field_count();
    StartCapture(c.mode);
    // The library lets go of bit 7 at once and waits for the frame.
    BoardControl(kt650::kBcCapture, c.mode);
    RunFields(8);
    EXPECT_EQ(Port().fields_written(), c.fields);
    EXPECT_EQ(Port().last_field() & 1, c.last_parity);
    // From the field under way on (its count is one below the clock's).
    EXPECT_GE(std::int64_t(Port().last_field() + 1 - c.fields), std::int64_t(underWay) - 1);
    // Bit 7 again: one more frame; the port's reset also starts one over.
    BoardControl(kt650::kBcCapture, kt650::kCaptureOn | c.mode);
    RunFields(8);
    EXPECT_EQ(Port().fields_written(), 2 * c.fields);
    WriteUlong(b, kt650::kVideoPortControl, kt650::kVideoPortRun | kt650::kVideoPortReset);
    RunFields(4);
    EXPECT_EQ(Port().fields_written(), 2 * c.fields);
    WriteUlong(b, kt650::kVideoPortControl, kt650::kVideoPortRun);
    RunFields(8);
    EXPECT_EQ(Port().fields_written(), 3 * c.fields);
    EXPECT_EQ(Port().last_field() & 1, c.last_parity);
    EXPECT_EQ(FirstBadFieldLine(Port().last_field() & 1, Port().last_field()), -1);
    // A reset before the frame begins abandons it; after it, capture is off.
    BoardControl(kt650::kBcCapture, c.mode);
    BoardControl(kt650::kBcCapture, kt650::kCaptureOn | c.mode);
    BoardControl(kt650::kBcCapture, c.mode);
    WriteUlong(b, kt650::kVideoPortControl, kt650::kVideoPortRun | kt650::kVideoPortReset);
    RunFields(4);
    WriteUlong(b, kt650::kVideoPortControl, kt650::kVideoPortRun);
    RunFields(4);
    EXPECT_EQ(Port().fields_written(), 3 * c.fields);
    sim::PowerOff();
  }
}

TEST_F(Kt650VideoPort, CaptureStartsOnTheFieldRegister7AsksFor) {
  struct Case {
    std::uint8_t type;
    std::uint8_t start;
    int first_parity;  // -1: either
  };
  const Case cases[] = {
      {3, 0, 0},
      {3, kt650::kCaptureStartField1, 1},
      {4, 0, 0},
      {4, kt650::kCaptureStartField1, 1},
      {5, 0, 0},
      {5, kt650::kCaptureStartField1, 1},
      {5, kt650::kCaptureStartNext, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " start " << int(c.start));
    sim::Kt650Board& b = Board(c.type);
    Program(FrameWindow());
    // Either parity may be next when capture goes on.
    for (std::uint32_t next : {0u, 1u}) {
      while ((b.field_clock().field_count() & 1) != next) RunFields(1);
      std::uint32_t from = b.field_clock().field_count();
      std::uint64_t written = Port().fields_written();
      StartCapture(kt650::kCaptureContinuous | kt650::kCaptureTwoFields | c.start);
      RunUntilWritten(3);
      // Every field is written from the first on.
      auto first = [&] { return Port().last_field() + 1 - std::uint32_t(Port().fields_written() - written); };
      auto wanted = [&] { return c.first_parity < 0 || (first() & 1) == unsigned(c.first_parity); };
      EXPECT_TRUE(wanted()) << first();
      // From the field under way (count from - 1, none before the clock's first
      // field) on.
      std::int64_t current = std::max<std::int64_t>(std::int64_t(from) - 1, 0);
      EXPECT_GE(std::int64_t(first()), current);
      EXPECT_LE(std::int64_t(first()), current + (c.first_parity >= 0 ? 1 : 0));
      // A reset pulse: nothing while it is set, then the alignment starts over.
      WriteUlong(b, kt650::kVideoPortControl, kt650::kVideoPortRun | kt650::kVideoPortReset);
      written = Port().fields_written();
      RunFields(3);
      EXPECT_EQ(Port().fields_written(), written);
      from = b.field_clock().field_count();
      WriteUlong(b, kt650::kVideoPortControl, kt650::kVideoPortRun);
      RunUntilWritten(1);
      EXPECT_TRUE(wanted()) << first();
      EXPECT_GE(std::int64_t(first()), std::int64_t(from) - 1);
      // Off: the frame under way completes, and then nothing.
      BoardControl(kt650::kBcCapture, 0);
      RunFields(2);
      written = Port().fields_written();
      RunFields(2);
      EXPECT_EQ(Port().fields_written(), written);
    }
    sim::PowerOff();
  }
}

TEST_F(Kt650VideoPort, AFrameBegunIsCompletedAndOnlyAResetDuringAFieldDropsIt) {
  // A reset pulse before the clock's first field concerns no field.
  sim::Kt650Board& b = Board(3, 0, 20000);
  Program(FrameWindow());
  WriteUlong(b, kt650::kVideoPortControl, kt650::kVideoPortRun | kt650::kVideoPortReset);
  WriteUlong(b, kt650::kVideoPortControl, kt650::kVideoPortRun);
  const std::uint8_t frames = kt650::kCaptureContinuous | kt650::kCaptureTwoFields;  // from field 0
  StartCapture(frames);
  RunUntilWritten(1);
  // The fields so far follow one another from field 0 on.
  EXPECT_EQ(Port().last_field() + 1 - Port().fields_written(), 0u);
  // Off during a frame's second field: that field still comes, then nothing.
  while (Port().last_field() & 1) RunUntilWritten(1);
  BoardControl(kt650::kBcCapture, frames);
  std::uint64_t written = Port().fields_written();
  RunFields(4);
  EXPECT_EQ(Port().fields_written(), written + 1);
  EXPECT_EQ(Port().last_field() & 1, 1u);
  EXPECT_EQ(FirstBadFrameRow(), -2);
}

TEST_F(Kt650VideoPort, WritesStopAtTheEndOfDisplayMemory) {
  sim::Kt650Board& b = Board(3);
  sim::DisplayMemory& memory = b.frame_buffer();
  ASSERT_GT(memory.mapped_size(), memory.size());
  Window w = DefaultWindow(3, 0);
  w.width = 640;
  w.last_line = 239;
  w.stride = 1280;
  // The end cuts field 0's line 237 in half; field 1 starts past it.
  w.buffer0 = memory.size() - 1280 * 237 - 640;
  w.buffer1 = memory.size() + 64;
  Program(w);
  StartCapture();
  RunUntilWritten(2);
  EXPECT_EQ(Snapshot(memory.size(), 4096), Bytes(4096, 0));
  Bytes last = PatternLine(0, LastOf(0), 2 * 237 - 1, Kept(0, 640, 0));
  last.resize(640);
  EXPECT_EQ(Snapshot(memory.size() - 640, 640), last);
  EXPECT_EQ(FirstBadFieldLine(0, LastOf(0), 237), -1);
}

TEST_F(Kt650VideoPort, NoCameraNoFields) {
  sim::Kt650Board& b = Board(4);
  b.video_inputs().SetCamera(0, false);
  Program(FrameWindow());
  StartCapture();
  b.field_clock().Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  b.StopVideo();
  EXPECT_EQ(Port().fields_written(), 0u);
  EXPECT_EQ(Snapshot(kFrame, 1280), Bytes(1280, 0));
}

}  // namespace
