// The board's output look-up table, reached through the control port and data
// latch on board types 0 to 2 and through the board-control device on types 3 to
// 5. The LUT control byte in the board configuration says which bank is shown and
// whether the table is on; its layout differs by board type.
#include <algorithm>
#include <array>
#include <vector>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

constexpr std::uint32_t kLutEntries = 256;
using device::kCtrlLutControl;
using device::kPortLutControl;
constexpr std::uint8_t kPortStrobes = 5;
constexpr std::uint8_t kCtrlLutHold = 17;
// Byte 86 of the configuration: pulse control-port register 5 bit 0 around LUT
// writes (types 1 and 2); in the whole flag word, the layouts with four lanes.
constexpr std::uint8_t kFlagPulseOnLutWrite = 0x20;
constexpr std::uint32_t kFlagsFourLanes = 0x018C0000;

// Where each board type keeps the enable and the bank in the LUT control byte.
struct LutLayout {
  std::uint8_t enable_bits;
  std::uint8_t enabled;  // the enable bits when on
  std::uint8_t off;      // the enable bits when off
  unsigned bank_shift;
  std::uint8_t bank_bits;  // after the shift
};
constexpr LutLayout kType0{0x40, 0x00, 0x40, 2, 0x3};
constexpr LutLayout kTypes12{0x03, 0x02, 0x00, 4, 0x3};
constexpr LutLayout kTypes345{0x0F, 0x01, 0x00, 4, 0xF};

const LutLayout* LayoutOf(std::uint16_t type) {
  if (type == 0) return &kType0;
  if (type <= 2) return &kTypes12;
  if (type <= 5) return &kTypes345;
  return nullptr;
}

std::uint8_t LutControl() { return LoadShadow(g_state.config.lut_control); }

// Stores the byte as the current LUT control and sends it, through the register
// shadow on types 1 and 2.
void SendLutControl(std::uint8_t control) {
  StoreShadow(g_state.config.lut_control, control);
  if (g_state.board_type == 1 || g_state.board_type == 2)
    KT6SetPortReg(kPortLutControl, control);
  else
    KT6SetLUTControl(control);
}

bool Initialised() { return g_state.initialised.load() != 0; }

// Entries at index first, first + 1, ... through the control port's strobes.
void WritePortEntries(std::uint8_t first, const std::uint8_t* values, std::uint32_t count) {
  auto port = [](std::uint8_t v) { KT6I2CWriteByte(device::kControlPort, v); };
  auto data = [](std::uint8_t v) { KT6I2CWriteByte(device::kDataLatch, v); };
  SerialBusHold bus;
  std::uint8_t lc = LutControl();
  if (g_state.board_type == 0) {
    port(lc | 0x20);
    for (std::uint32_t i = 0; i < count; ++i) {
      data(static_cast<std::uint8_t>(first + i));
      port(lc | 0x01);
      data(values[i]);
      port(lc | 0x22);
      port(lc);
      port(lc | 0x20);
    }
    port(lc | 0x30);
    return;
  }
  bool pulse = (g_state.config.board_flags & kFlagPulseOnLutWrite) != 0;
  if (pulse) KT6SetPortReg(kPortStrobes, KT6GetPortReg(kPortStrobes) & ~0x01);
  std::uint8_t l = lc & 0x30;
  port(device::kPortSelect | kPortLutControl);
  port(l | 0x01);
  for (std::uint32_t i = 0; i < count; ++i) {
    data(static_cast<std::uint8_t>(first + i));
    port(l | 0x09);
    data(values[i]);
    port(l | 0x05);
    port(l | 0x0D);
    port(l | 0x01);
  }
  port(lc);
  if (pulse) KT6SetPortReg(kPortStrobes, KT6GetPortReg(kPortStrobes) | 0x01);
}

// Entries of four lanes at index first on; `lanes` says which lanes are written.
void WriteControlEntries(std::uint8_t first, const std::vector<std::array<std::uint8_t, 4>>& entries, unsigned lanes) {
  static constexpr std::uint8_t kLaneSelect[4] = {0x02, 0x06, 0x0A, 0x0E};
  SerialBusHold bus;
  std::uint8_t lc = LutControl();
  bool holdsOutput = g_state.board_type >= 4;
  KT6SetCtrlReg(kCtrlLutControl, (lc & 0xFE) | kLaneSelect[0]);
  std::uint8_t saved17 = KT6GetCtrlReg(kCtrlLutHold);
  if (holdsOutput) KT6SetCtrlReg(kCtrlLutHold, 0);
  std::vector<std::uint8_t> bytes(entries.size());
  for (unsigned lane = 0; lane < 4; ++lane) {
    if (!(lanes & (1u << lane))) continue;
    if (lane > 0) KT6SetCtrlReg(kCtrlLutControl, (lc & 0xFE) | kLaneSelect[lane]);
    for (std::size_t i = 0; i < entries.size(); ++i) bytes[i] = entries[i][lane];
    KT6CtrlLutTransfer(first, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  }
  if (holdsOutput) KT6SetCtrlReg(kCtrlLutHold, saved17);
  KT6SetCtrlReg(kCtrlLutControl, lc);
}

}  // namespace

}  // namespace kt6

using namespace kt6;

// The LUT control byte is read and sent back under one hold of the bus, so that
// two threads' changes do not undo each other.
std::int32_t KT6LUTEnable() {
  if (!Initialised()) return KT6_ERR_GENERAL;
  SerialBusHold bus;
  if (const LutLayout* l = LayoutOf(g_state.board_type))
    SendLutControl(static_cast<std::uint8_t>((LutControl() & ~l->enable_bits) | l->enabled));
  return KT6_OK;
}

std::int32_t KT6LUTDisable() {
  if (!Initialised()) return KT6_ERR_GENERAL;
  SerialBusHold bus;
  if (const LutLayout* l = LayoutOf(g_state.board_type))
    SendLutControl(static_cast<std::uint8_t>((LutControl() & ~l->enable_bits) | l->off));
  return KT6_OK;
}

std::int32_t KT6SelectLUTBank(std::uint8_t bank) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  const LutLayout* l = LayoutOf(g_state.board_type);
  if (!l) return KT6_OK;
  std::uint8_t banks = g_state.board_type >= 4 ? 15 : 3;
  if (bank > banks) return KT6_ERR_PARAMETER;
  std::uint8_t field = static_cast<std::uint8_t>(l->bank_bits << l->bank_shift);
  SerialBusHold bus;
  SendLutControl(static_cast<std::uint8_t>((LutControl() & ~field) | (bank << l->bank_shift)));
  return KT6_OK;
}

std::int32_t KT6LUTLoadOneEntry(std::int32_t index, std::uint8_t value) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (index < 0 || index >= static_cast<std::int32_t>(kLutEntries)) return KT6_ERR_PARAMETER;
  auto at = static_cast<std::uint8_t>(index);
  if (g_state.board_type <= 2)
    WritePortEntries(at, &value, 1);
  else if (g_state.board_type <= 5)
    WriteControlEntries(at, {{value, value, value, 0}}, 0x7);
  return KT6_OK;
}

std::int32_t KT6LUTLoad(std::uint8_t start, std::uint16_t count, const std::uint8_t* table) {
  if (!Initialised()) return KT6_ERR_GENERAL;
  if (!table) return KT6_ERR_PARAMETER;
  std::uint32_t n = std::min<std::uint32_t>(count, kLutEntries - start);
  if (n == 0) return KT6_OK;
  // The table holds the entries from `start` on.
  if (g_state.board_type <= 2) {
    WritePortEntries(start, table, n);
  } else if (g_state.board_type <= 5) {
    // Bank 1 gets an identity ramp beside the table, unless the layout uses all
    // four lanes for the table.
    bool fourLanes = (g_state.config.board_flags & kFlagsFourLanes) != 0;
    std::vector<std::array<std::uint8_t, 4>> entries(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint8_t v = table[i];
      auto index = static_cast<std::uint8_t>(start + i);
      entries[i] = fourLanes ? std::array<std::uint8_t, 4>{v, v, v, v} : std::array<std::uint8_t, 4>{v, index, 0, 0};
    }
    WriteControlEntries(start, entries, fourLanes ? 0xF : 0x3);
  }
  return KT6_OK;
}
