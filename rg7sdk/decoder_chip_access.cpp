// The decoder register exports: Bt829A and VPC32x5C transactions on the current
// board's serial bus.
#include <mutex>

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/rg7sdk.h"
#include "rg7sdk/serial_bus.h"
#include "rg7sdk/vpc32x5c_registers.h"

namespace rg7 {
namespace {

// The bus of the current board, held for one export. Without a board node or a
// register window there is no bus: the export does nothing and reads 0.
class BusSession {
 public:
  BusSession() : lock_(SerialBusMutex()) {
    node_ = CurrentBoardNode();
    if (CurrentRegisterBase() == 0) node_ = nullptr;
  }
  BoardNode* node() const { return node_; }

 private:
  std::lock_guard<std::mutex> lock_;
  BoardNode* node_ = nullptr;
};

// Only the low 8 bits of an FP address are sent, as a word with high byte 0.
std::uint16_t FpAddressWord(std::uint16_t fpAddress) { return fpAddress & 0xFF; }

}  // namespace
}  // namespace rg7

using rg7::BusSession;

void RG7OutByteBt829A(std::uint8_t reg, std::uint8_t value) {
  BusSession bus;
  if (bus.node()) rg7::I2CWriteByte(*bus.node(), rg7::kBt829aAddress, reg, value);
}

std::uint8_t RG7InByteBt829A(std::uint8_t reg) {
  BusSession bus;
  return bus.node() ? rg7::I2CReadByte(*bus.node(), rg7::kBt829aAddress, reg) : 0;
}

void RG7OutByteVPC32x5C(std::uint8_t subaddress, std::uint8_t value) {
  BusSession bus;
  if (bus.node()) rg7::I2CWriteByte(*bus.node(), rg7::kVpc32x5cAddress, subaddress, value);
}

std::uint8_t RG7InByteVPC32x5C(std::uint8_t subaddress) {
  BusSession bus;
  return bus.node() ? rg7::I2CReadByte(*bus.node(), rg7::kVpc32x5cAddress, subaddress) : 0;
}

void RG7OutWordVPC32x5C(std::uint8_t subaddress, std::uint16_t value) {
  BusSession bus;
  if (bus.node()) rg7::I2CWriteWord(*bus.node(), rg7::kVpc32x5cAddress, subaddress, value);
}

std::uint16_t RG7InWordVPC32x5C(std::uint8_t subaddress) {
  BusSession bus;
  return bus.node() ? rg7::I2CReadWord(*bus.node(), rg7::kVpc32x5cAddress, subaddress) : 0;
}

// The address and data transactions of one FP access run under one hold of the
// bus, so that no other access can come between them.
void RG7OutWordVPC32x5C_FP(std::uint16_t fpAddress, std::uint16_t value) {
  BusSession bus;
  if (!bus.node()) return;
  rg7::I2CWriteWord(*bus.node(), rg7::kVpc32x5cAddress, rg7::vpc32x5c::kFpWriteAddress, rg7::FpAddressWord(fpAddress));
  rg7::I2CWriteWord(*bus.node(), rg7::kVpc32x5cAddress, rg7::vpc32x5c::kFpData, value);
}

std::uint16_t RG7InWordVPC32x5C_FP(std::uint16_t fpAddress) {
  BusSession bus;
  if (!bus.node()) return 0;
  rg7::I2CWriteWord(*bus.node(), rg7::kVpc32x5cAddress, rg7::vpc32x5c::kFpReadAddress, rg7::FpAddressWord(fpAddress));
  return rg7::I2CReadWord(*bus.node(), rg7::kVpc32x5cAddress, rg7::vpc32x5c::kFpData);
}
