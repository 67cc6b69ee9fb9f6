// The board's control registers on the serial bus: on board types 0 to 2 a
// control port (registers 0-7, written as a select byte and a value byte) with a
// data latch beside it, on types 3 to 5 a board-control device (registers 0-21)
// written on the untimed path. Their shadows live in the board configuration.
#pragma once

#include <cstdint>

namespace kt6 {

namespace device {
constexpr std::uint8_t kControlPort = 0x42;
constexpr std::uint8_t kDataLatch = 0x40;
constexpr std::uint8_t kBoardControl = 0x48;
constexpr std::uint8_t kPortRegisterCount = 8;
constexpr std::uint8_t kControlRegisterCount = 22;
constexpr std::uint8_t kPortSelect = 0x80;  // the byte names a register
constexpr std::uint8_t kPortValueBits = 0x3F;
constexpr std::uint8_t kLutDataPort = 0x10;   // board-control subaddress of the LUT entries
constexpr std::uint8_t kPortLutControl = 7;   // control-port register of the LUT lines
constexpr std::uint8_t kCtrlLutControl = 15;  // board-control register of the LUT
}  // namespace device

// Control port. A register outside 0-7 is refused: -34, nothing sent or stored.
std::int32_t KT6SetPortReg(std::uint8_t reg, std::uint8_t value);
std::uint8_t KT6GetPortReg(std::uint8_t reg);  // 0 outside 0-7
// Registers 7, 1, 2, 3, 4, 5, 6 from the image (3 only from board revision 18).
void KT6InitPortRegs(const std::uint8_t* image);

// Board-control device. A register outside 0-21 is refused as above.
std::int32_t KT6SetCtrlReg(std::uint8_t reg, std::uint8_t value);
std::uint8_t KT6GetCtrlReg(std::uint8_t reg);  // 0 outside 0-21
// value = (value & keep) | set, read and written under one hold of the bus.
std::int32_t KT6ModifyCtrlReg(std::uint8_t reg, std::uint8_t keep, std::uint8_t set);
// Registers 1 to 21 from the image, after the chip's port to the device is set up.
void KT6InitCtrlRegs(const std::uint8_t* image);
// Entries written at `first` on: the device's LUT data port advances by itself.
void KT6CtrlLutTransfer(std::uint8_t first, const std::uint8_t* entries, std::uint32_t count);

// The LUT control byte as the board type takes it.
void KT6SetLUTControl(std::uint8_t control);

}  // namespace kt6
