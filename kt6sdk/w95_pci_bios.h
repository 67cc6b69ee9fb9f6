// The PCI BIOS as the Windows 95 build reaches it: software interrupt 0x1A,
// function group 0xB1, with a 16-bit register pack.
#pragma once

#include <cstdint>

namespace kt6 {

#pragma pack(push, 1)
// AX to DI go in (FLAGS is copied but not loaded); all seven come back.
struct PciBiosRegs {
  std::uint16_t ax, bx, cx, dx, si, di, flags;
};
#pragma pack(pop)
static_assert(sizeof(PciBiosRegs) == 14);

namespace pcibios {
constexpr std::uint8_t kPciBiosVector = 0x1A;
constexpr std::uint8_t kDpmiVector = 0x31;
constexpr std::uint8_t kPciFunctionVector = 0xB1;
constexpr std::uint8_t kFunctionGroup = 0xB1;  // AH
// AL.
constexpr std::uint8_t kInstallationCheck = 0x01;
constexpr std::uint8_t kReadByte = 0x08;
constexpr std::uint8_t kReadWord = 0x09;
constexpr std::uint8_t kWriteByte = 0x0B;
constexpr std::uint8_t kWriteWord = 0x0C;
constexpr std::uint16_t kCarry = 0x0001;  // FLAGS
// What the configuration calls answer for a failed BIOS call.
constexpr std::uint32_t kFailed = 1;
constexpr std::uint32_t kMaxDevice = 31;
constexpr std::uint32_t kMaxBus = 255;
// Bus and device both this number stand for the pair of the previous access.
constexpr std::uint32_t kPreviousPair = 255;
}  // namespace pcibios

// Issues software interrupt 0x31, 0x1A or 0xB1 with the pack's registers (any
// other number issues none) and returns the registers and flags after it. Always 0.
std::int32_t PciBiosInterrupt(std::uint32_t vector, const PciBiosRegs* in, PciBiosRegs* out);
// 0 with the last bus number when a PCI BIOS is installed, else 1.
std::int32_t PciBiosPresent(std::uint8_t* lastBus);

}  // namespace kt6
