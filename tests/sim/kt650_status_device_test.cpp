#include <gtest/gtest.h>

#include "tests/sim/kt650_serial_master.h"

namespace {

// What the device sends in a revision unit.
std::uint8_t RevisionByte(unsigned unit, std::uint8_t revision) {
  return static_cast<std::uint8_t>(sim::kt650::kRevisionMarker | unit << sim::kt650::kRevisionUnitShift | revision);
}

namespace kt650 = sim::kt650;
using sim_test::Kt650;
using sim_test::Kt650SerialMaster;
using sim_test::PowerOnWith;

constexpr UCHAR kSensed = kt650::kSerialClockIn | kt650::kSerialDataIn;

struct StatusFrame {
  std::uint8_t status, revision1, revision3, revision4;
};

// The library's whole frame, writing `written` in unit 2.
// The camera-interface boards send their revision byte first.
StatusFrame ReadFrame(Kt650SerialMaster& m, std::uint8_t written, bool revisionFirst = false) {
  StatusFrame f{};
  m.StatusStart();
  std::uint8_t first = m.StatusRead();
  std::uint8_t second = m.StatusRead();
  f.status = revisionFirst ? second : first;
  f.revision1 = revisionFirst ? first : second;
  m.StatusWrite(written);
  f.revision3 = m.StatusRead();
  f.revision4 = m.StatusRead();
  m.StatusStop();
  return f;
}

TEST(Kt650StatusDevice, TheFrameCarriesStatusRevisionAndTheMastersByte) {
  for (std::uint8_t type : {0, 3, 4, 5}) {
    SCOPED_TRACE(int(type));
    sim::Kt650Desc d = Kt650(type == 0 ? kt650::kChip5631 : kt650::kChip8A22, type);
    d.revision = 0x3A;
    d.timing.running = false;  // the field is set by hand
    sim::Kt650Board& b = PowerOnWith({d}).kt650(0);
    Kt650SerialMaster m(b);
    m.RouteToStatus(true);
    bool cameraInterface = type >= kt650::kFirstNoSignalType;
    StatusFrame f = ReadFrame(m, 0x5C, cameraInterface);
    EXPECT_EQ(f.status, kt650::kStatusIdleLines);
    EXPECT_EQ(f.revision1, RevisionByte(cameraInterface ? 0 : 1, 0xA));
    EXPECT_EQ(f.revision3, RevisionByte(3, 0xA));
    EXPECT_EQ(f.revision4, RevisionByte(4, 0xA));
    // The lines are idle again after the stop.
    EXPECT_EQ(m.Read() & kSensed, kSensed);

    b.status_device().SetField(true);
    // No camera on the camera interface's selected input (input 0 after reset).
    b.video_inputs().SetCamera(sim::Kt650VideoDevice::kCameraInterface, 0, false);
    f = ReadFrame(m, 0xA3, cameraInterface);
    bool noSignalShown = cameraInterface;
    EXPECT_EQ(f.status, kt650::kStatusField | (noSignalShown ? kt650::kStatusNoSignal : 0) | kt650::kStatusIdleLines);
    EXPECT_EQ(f.revision4, RevisionByte(4, 0xA));
    b.status_device().SetField(false);
    EXPECT_EQ(ReadFrame(m, 0x00, cameraInterface).status,
              (noSignalShown ? kt650::kStatusNoSignal : 0) | kt650::kStatusIdleLines);
    EXPECT_EQ(b.status_device().Written(), (std::vector<std::uint8_t>{0x5C, 0xA3, 0x00}));
    EXPECT_EQ(b.status_device().Frames(), 3u);
    EXPECT_FALSE(m.ninth_clock_low());
    sim::PowerOff();
  }
}

TEST(Kt650StatusDevice, AStopAfterAnyUnitEndsTheFrame) {
  sim::Kt650Desc d = Kt650(kt650::kChip8A22, 4);
  d.revision = 5;
  d.timing.running = false;  // the field is set by hand
  sim::Kt650Board& b = PowerOnWith({d}).kt650(0);
  Kt650SerialMaster m(b);
  m.RouteToStatus(true);
  b.status_device().SetField(true);
  // As the library reads the first `units` of a frame, the third one written.
  auto partial = [&](unsigned units) {
    m.StatusStart();
    std::uint8_t last = m.StatusRead();
    if (units > 1) last = m.StatusRead();
    if (units > 2) m.StatusWrite(static_cast<std::uint8_t>(0x40 + units));
    if (units > 3) last = m.StatusRead();
    if (units > 4) last = m.StatusRead();
    m.StatusStop();
    return last;
  };
  for (unsigned units = 1; units <= 5; ++units) {
    SCOPED_TRACE(units);
    std::uint8_t last = partial(units);
    // The last unit read: 0, then 1 (unit 2 is the master's), then 3 and 4; this
    // board's status byte is unit 1.
    unsigned unitRead = units == 3 ? 1 : units - 1;
    EXPECT_EQ(last, unitRead == 1 ? kt650::kStatusField | kt650::kStatusIdleLines : RevisionByte(unitRead, 5));
    EXPECT_EQ(b.status_device().Frames(), units);
    EXPECT_EQ(m.Read() & kSensed, kSensed);
  }
  EXPECT_EQ(b.status_device().Written(), (std::vector<std::uint8_t>{0x43, 0x44, 0x45}));
  sim::PowerOff();
}

TEST(Kt650StatusDevice, Sequencer0DTurnsTheLinesFromTheBusToTheDevice) {
  sim::Kt650Board& b = PowerOnWith({Kt650(kt650::kChip8A22, 3)}).kt650(0);
  Kt650SerialMaster m(b);
  m.RouteToStatus(true);
  ReadFrame(m, 0x11);
  EXPECT_EQ(b.status_device().Frames(), 1u);
  // A bus transaction reaches no device on the bus; the status device acknowledges nothing.
  EXPECT_EQ(m.Transmit(kt650::kBoardControlAddress, {1, 0x42}), (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(b.serial_bus().Frames().empty());
  EXPECT_EQ(b.board_control()->Register(1), 0);

  m.RouteToStatus(false);
  std::uint64_t frames = b.status_device().Frames();
  std::vector<std::uint8_t> written = b.status_device().Written();
  EXPECT_EQ(written.at(0), 0x11);
  EXPECT_EQ(m.Transmit(kt650::kBoardControlAddress, {1, 0x42}), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(b.board_control()->Register(1), 0x42);
  EXPECT_EQ(b.serial_bus().Frames().size(), 1u);
  EXPECT_EQ(b.status_device().Frames(), frames);
  EXPECT_EQ(b.status_device().Written(), written);

  // Turned away while the clock is low, the bus sees both lines released: the byte
  // under way gets no further, and its frame stays open until the lines come back.
  m.Start();
  m.Send(kt650::kBoardControlAddress);
  m.Send(2);
  m.Lines(false, false);
  m.RouteToStatus(true);
  m.Send(0x77);
  EXPECT_TRUE(b.serial_bus().in_frame());
  EXPECT_EQ(b.board_control()->Register(2), 0);
  m.Lines(false, false);
  m.RouteToStatus(false);
  m.Stop();
  EXPECT_FALSE(b.serial_bus().in_frame());
  EXPECT_EQ(b.board_control()->Register(2), 0);
  sim::PowerOff();
}

TEST(Kt650StatusDevice, TheSerialPortReadsBackItsBitsAndTheLinesAsSensed) {
  sim::Kt650Board& b = PowerOnWith({Kt650(kt650::kChip8A01, 1)}).kt650(0);
  Kt650SerialMaster m(b);
  EXPECT_EQ(m.Read(), kSensed);  // off at reset: both lines released
  m.Write(0xFF);
  EXPECT_EQ(m.Read(), kt650::kSerialPortBits | kSensed);
  // Lines pulled low only while the port is on.
  m.Write(0xEC);
  EXPECT_EQ(m.Read(), kSensed);
  m.Write(Kt650SerialMaster::kOn);
  EXPECT_EQ(m.Read(), Kt650SerialMaster::kOn);
  m.Write(Kt650SerialMaster::kOn | Kt650SerialMaster::kClock);
  EXPECT_EQ(m.Read(), Kt650SerialMaster::kOn | Kt650SerialMaster::kClock | kt650::kSerialClockIn);
  // The view keeps the lines as the last write left them.
  EXPECT_EQ(b.Register(kt650::kSerialPort), Kt650SerialMaster::kOn | Kt650SerialMaster::kClock | kt650::kSerialClockIn);
  EXPECT_EQ(b.SerialPortWrites(), 4u);
  sim::PowerOff();
}

}  // namespace
