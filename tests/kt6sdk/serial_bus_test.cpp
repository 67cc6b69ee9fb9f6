// The serial bus as the board's devices and the bus engine saw it: the timed and
// untimed families, the driver's section around the transactions that need it,
// and the status bytes read past the bus.
#include <gtest/gtest.h>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "tests/kt6sdk/kt6_driver_view.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

namespace codes = kt6_testing::driver_code;
using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

class SerialBus : public kt6_testing::Kt6Test {
 protected:
  // The driver's serial-bus requests, in order.
  static std::vector<DWORD> Sections(const kt6_testing::DriverModel& vxd) {
    std::vector<DWORD> codesSeen;
    for (const sim::DriverRequest& r : vxd.Requests())
      if (r.code == codes::kSerialBusBegin || r.code == codes::kSerialBusEnd) codesSeen.push_back(r.code);
    return codesSeen;
  }
  static std::vector<std::uint8_t> Bytes(const sim::I2cBus::Frame& frame) {
    std::vector<std::uint8_t> bytes;
    for (const auto& unit : frame.units) bytes.push_back(unit.byte);
    return bytes;
  }
};

TEST_F(SerialBus, TheTimedFamilyFramesBytesMostSignificantFirstBetweenTheDriversRequests) {
  sim::Kt650Board& board = BootBoard(kChip8A01, 1);
  kt6_testing::DriverModel& vxd = kt6_testing::Driver();
  board.serial_bus().ClearFrames();
  vxd.ClearRequests();
  EXPECT_NE(KT6SetSAA7110Reg(0x10, 0xA5), 0);
  auto frames = board.serial_bus().Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(Bytes(frames[0]), (std::vector<std::uint8_t>{0x9C, 0x10, 0xA5}));
  for (const auto& unit : frames[0].units) EXPECT_TRUE(unit.acked);
  EXPECT_EQ(frames[0].repeated_starts, 0u);
  EXPECT_EQ(Sections(vxd), (std::vector<DWORD>{codes::kSerialBusBegin, codes::kSerialBusEnd}));
  EXPECT_EQ(kt6::g_state.config.saa7110_registers[0x10], 0xA5);

  // A read after a repeated start: the decoder answers its status byte (its
  // identification while register 0x0D bit 1 is clear).
  board.serial_bus().ClearFrames();
  {
    kt6::SerialBusHold bus;
    kt6::KT6I2CBusStart();
    kt6::KT6I2CBusSendByte(0x9C);
    kt6::KT6I2CBusSendByte(0x10);
    kt6::KT6I2CRepeatedStart();
    kt6::KT6I2CBusSendByte(0x9D);
    EXPECT_EQ(kt6::KT6I2CBusReceiveByte(), 0x01);
    kt6::KT6I2CBusStop();
  }
  frames = board.serial_bus().Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].repeated_starts, 1u);
  EXPECT_EQ(Bytes(frames[0]), (std::vector<std::uint8_t>{0x9C, 0x10, 0x9D, 0x01}));
  EXPECT_FALSE(frames[0].units.back().acked);  // the master's no-acknowledge

  // A register past the decoder's is neither sent nor kept.
  board.serial_bus().ClearFrames();
  EXPECT_EQ(KT6SetSAA7110Reg(0x35, 1), 0);
  EXPECT_TRUE(board.serial_bus().Frames().empty());
}

TEST_F(SerialBus, TheDecodersStatusIsReadInTheSectionAndItsIdentificationAroundIt) {
  sim::Kt650Board& board = BootBoard(kChip8A01, 2);
  kt6_testing::DriverModel& vxd = kt6_testing::Driver();
  KT6SetSAA7110Reg(0x0D, 0x86);
  KT6SetSAA7110Reg(0x20, 0x7C);  // input 0, where the camera is
  vxd.ClearRequests();
  EXPECT_EQ(kt6::KT6ReadSAA7110Status(1), 0x00);  // the live status: the select bit is set
  EXPECT_EQ(Sections(vxd), (std::vector<DWORD>{codes::kSerialBusBegin, codes::kSerialBusEnd}));
  // The identification: the select bit cleared for the read and set again after.
  vxd.ClearRequests();
  board.saa7110()->ClearLog();
  EXPECT_EQ(kt6::KT6ReadSAA7110Status(0), 0x01);
  auto log = board.saa7110()->Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].bytes, (std::vector<std::uint8_t>{0x84}));
  EXPECT_EQ(log[1].kind, sim::I2cTransfer::Kind::kRead);
  EXPECT_EQ(log[2].bytes, (std::vector<std::uint8_t>{0x86}));
  EXPECT_EQ(board.saa7110()->Register(0x0D), 0x86);
  // Only the two register writes go through the driver's section.
  EXPECT_EQ(Sections(vxd).size(), 4u);
}

TEST_F(SerialBus, EachControlPortByteIsATransactionOfItsOwnInTheSection) {
  BootBoard(kChip8A01, 1);
  kt6_testing::DriverModel& vxd = kt6_testing::Driver();
  vxd.ClearRequests();
  kt6::KT6SetPortReg(4, 0x21);
  kt6::KT6I2CWriteByte(0x40, 0x77);
  EXPECT_EQ(Sections(vxd), (std::vector<DWORD>{codes::kSerialBusBegin, codes::kSerialBusEnd, codes::kSerialBusBegin,
                                               codes::kSerialBusEnd, codes::kSerialBusBegin, codes::kSerialBusEnd}));
}

TEST_F(SerialBus, AWriteToAnAbsentDeviceStillSendsBothBytes) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  board.serial_bus().ClearFrames();
  kt6::KT6I2CWriteByte(0x70, 0x11);
  auto frames = board.serial_bus().Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(Bytes(frames[0]), (std::vector<std::uint8_t>{0x70, 0x11}));
  EXPECT_FALSE(frames[0].units[0].acked);
}

TEST_F(SerialBus, BoardControlWritesGoUntimedAndOutsideTheDriversSection) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 3);
  kt6_testing::DriverModel& vxd = kt6_testing::Driver();
  kt6::g_state.i2c_timing_counter = 1000000;  // the untimed path does not wait for it
  vxd.ClearRequests();
  board.serial_bus().ClearFrames();
  EXPECT_EQ(kt6::KT6SetCtrlReg(5, 0x3C), 0);
  EXPECT_TRUE(Sections(vxd).empty());
  EXPECT_EQ(board.board_control()->Register(5), 0x3C);
  auto frames = board.serial_bus().Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(Bytes(frames[0]), (std::vector<std::uint8_t>{0x48, 5, 0x3C}));
  EXPECT_EQ(kt6::g_state.serial_bus_word.load(), 0u);
}

TEST_F(SerialBus, StatusBytesAreReadPastTheBusAndTheLinesLeftIdle) {
  sim::Kt650Board& board = BootBoard(kChip8A22, 4, 9);
  board.StopVideo();  // the field is set by hand
  board.status_device().SetField(true);
  board.video_inputs().SetCamera(sim::Kt650VideoDevice::kCameraInterface, 0, false);
  board.serial_bus().ClearFrames();
  // This board sends a revision byte before its status byte.
  std::uint8_t status = kt6::KT6SerialReadBytes(2, 0);
  EXPECT_EQ(status & 0x80, 0x80);  // the field
  EXPECT_EQ(status & 0x08, 0x08);  // no camera
  // The revision, from the first byte and from the fourth (the board numbers its
  // bytes in bits 4-6).
  EXPECT_EQ(kt6::KT6SerialReadBytes(1, 120), 0x80 | 9);
  EXPECT_EQ(kt6::KT6SerialReadBytes(5, 127), 0xC0 | 9);
  EXPECT_EQ(board.status_device().Written(), (std::vector<std::uint8_t>{127}));
  EXPECT_TRUE(board.serial_bus().Frames().empty());  // the decoders saw nothing
  EXPECT_EQ(board.Sequencer(0x0D), 0);
  EXPECT_EQ(board.Register(0xFF20) & 0x13, 0x13u);
}

TEST_F(SerialBus, IdleReleasesBothLinesAndDisableSwitchesThePortOff) {
  sim::Kt650Board& board = BootBoard(kChip8A01, 2);
  board.SetSequencer(0x0D, 1);
  kt6::KT6I2CIdle();
  EXPECT_EQ(board.Sequencer(0x0D), 0);
  EXPECT_EQ(board.Register(0xFF20) & 0x1F, 0x1Fu);  // driven high and sensed high
  kt6::KT6I2CDisable();
  EXPECT_EQ(board.Register(0xFF20) & 0x13, 0u);
}

}  // namespace
