#include "rg7sdk/chipset_table.h"

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/pci_config.h"
#include "rg7sdk/rg700_ini.h"

namespace rg7 {
namespace {

constexpr std::uint32_t kNone = 255;

struct ChipsetState {
  std::int32_t matched = -1;
  std::uint32_t bus = kNone;
  std::uint32_t device = kNone;
  std::uint32_t id = 0;
  std::uint32_t display_chip = 0;
  std::uint32_t display_bar = 0;  // the display controller's frame buffer, from a bus scan
  std::int32_t window = 0;
  // OPTi 82c832: the window registers as found, and which of them the window uses.
  std::uint8_t opti_registers[4] = {};
  std::int32_t opti_choice = -1;
};

ChipsetState g_chipset;

std::uint32_t CurrentBar0() {
  BoardNode* node = CurrentBoardNode();
  return node ? node->bar0 : 0;
}

void RememberBridge(std::uint32_t bus, std::uint32_t device) {
  g_chipset.bus = bus;
  g_chipset.device = device;
}

void SetByteBits(std::uint32_t reg, std::uint8_t bits, bool on) {
  std::uint32_t old = read_confreg_byte(reg, g_chipset.bus, g_chipset.device) & 0xFF;
  std::uint32_t value = on ? (old | bits) : (old & ~std::uint32_t{bits});
  write_confreg_byte(value, reg, g_chipset.bus, g_chipset.device);
}

void MercuryWindow() { SetByteBits(0x54, 0x03, true); }

void NeptuneWindow() {
  std::uint32_t old = read_confreg_dword(0x7C, g_chipset.bus, g_chipset.device);
  std::uint32_t value = (old & 0xFFFFF) | (((CurrentBar0() & ~0xFFFFFu) | 0x100) + 0x400000);
  write_confreg_dword(value, 0x7C, g_chipset.bus, g_chipset.device);
  SetByteBits(0x54, 0x03, true);
  g_chipset.window = 1;
}

void NeptuneRestore() {
  std::uint32_t old = read_confreg_dword(0x7C, g_chipset.bus, g_chipset.device);
  write_confreg_dword(old & 0xFFEFF, 0x7C, g_chipset.bus, g_chipset.device);
  g_chipset.window = 0;
}

void Empty() {}

constexpr std::uint32_t kOptiRegisters[4] = {0x6C, 0x64, 0x5C, 0x54};

void OptiScan(std::uint32_t bus, std::uint32_t device) {
  RememberBridge(bus, device);
  g_chipset.opti_choice = -1;
  for (int i = 0; i < 4; ++i) {
    g_chipset.opti_registers[i] = static_cast<std::uint8_t>(read_confreg_byte(kOptiRegisters[i], bus, device));
    // The window takes the first window register the BIOS left unused.
    if (g_chipset.opti_choice < 0 && g_chipset.opti_registers[i] == 0) g_chipset.opti_choice = i;
  }
}

void OptiWindow() {
  if (g_chipset.opti_choice >= 0 && g_chipset.opti_choice < 4) {
    std::uint32_t reg = kOptiRegisters[g_chipset.opti_choice];
    std::uint32_t value = ((CurrentBar0() & ~0xFFFFFu) + 0x400000) | 2;
    write_confreg_dword(value, reg, g_chipset.bus, g_chipset.device);
    write_confreg_dword((value + 0x100000) & ~0xFFu, reg + 4, g_chipset.bus, g_chipset.device);
  }
  SetByteBits(0x52, 0x20, true);
}

void TritonVxBits(std::uint32_t bus, std::uint32_t device) {
  RememberBridge(bus, device);
  const Rg700Settings& s = IniSettings();
  if (s.triton_flag1 >= 0) SetByteBits(0x4F, 0x80, s.triton_flag1 != 0);
  if (s.triton_flag2 >= 0) SetByteBits(0x50, 0x08, s.triton_flag2 != 0);
}

}  // namespace

const ChipsetEntry kChipsetTable[] = {
    {0x04868086, 0xFF, nullptr, nullptr, nullptr, "Intel 82425 EX, No Burst"},
    {0x04A38086, 1, RememberBridge, MercuryWindow, nullptr, "Intel 82433 LX/Mercury, No Burst"},
    {0x04A38086, 0xFF, RememberBridge, NeptuneWindow, NeptuneRestore, "Intel 82433 LX/Neptune"},
    {0x122D8086, 0xFF, RememberBridge, Empty, Empty, "Intel 82437FX Triton, ..."},
    {0xC8221045, 0xFF, nullptr, nullptr, nullptr, "OPTi 82c822, No Burst"},
    {0xC8321045, 0xFF, OptiScan, OptiWindow, Empty, "OPTi 82c832, ..."},
    {0x04961039, 0xFF, nullptr, nullptr, nullptr, "SiS85C496, No Burst"},
    {0x04061039, 0xFF, nullptr, nullptr, nullptr, "SiS550x, ..."},
    {0x00051004, 0xFF, RememberBridge, Empty, Empty, "VL82C591, ..."},
    {0x12378086, 0xFF, RememberBridge, Empty, Empty, "Intel 82441FX Natoma, ..."},
    {0x84C48086, 0xFF, nullptr, nullptr, nullptr, "Intel 82454KX/GX Orion, ..."},
    {0x12508086, 0xFF, nullptr, nullptr, nullptr, "Intel 82439HX Triton II, ..."},
    {0x71008086, 0xFF, nullptr, nullptr, nullptr, "Intel 82439TX, ..."},
    {0x12358086, 0xFF, nullptr, nullptr, nullptr, "Intel 82437MX Triton MX, ..."},
    {0x70308086, 0xFF, TritonVxBits, nullptr, nullptr, "Intel 82437VX Triton VX, ..."},
    {0xFFFFFFFF, 0, nullptr, nullptr, nullptr, nullptr},
};

void NoteHostBridge(std::uint16_t vendor, std::uint16_t device, std::uint8_t revision, std::uint8_t bus,
                    std::uint8_t deviceNumber) {
  std::uint32_t id = std::uint32_t{device} << 16 | vendor;
  if (id == kDisplayChipA || id == kDisplayChipB) g_chipset.display_chip = id;
  MatchChipset(id, revision, bus, deviceNumber);
}

void NoteDisplayController(std::uint32_t id, std::uint32_t frameBufferBar) {
  g_chipset.display_chip = id;
  g_chipset.display_bar = frameBufferBar;
}

void MatchChipset(std::uint32_t id, std::uint8_t revision, std::uint8_t bus, std::uint8_t deviceNumber) {
  for (std::int32_t i = 0; kChipsetTable[i].id != 0xFFFFFFFF; ++i) {
    const ChipsetEntry& e = kChipsetTable[i];
    if (e.id != id || (e.revision != 0xFF && e.revision != revision)) continue;
    g_chipset.matched = i;
    g_chipset.id = id;
    if (e.enumeration_fixup) e.enumeration_fixup(bus, deviceNumber);
    return;
  }
}

const char* ChipsetName() {
  return g_chipset.matched < 0 ? "Unknown PCI Bridge Chipset" : kChipsetTable[g_chipset.matched].name;
}

std::int32_t ChipsetMatchedIndex() { return g_chipset.matched; }

std::int32_t ChipsetWindowState() { return g_chipset.matched < 0 ? -1 : g_chipset.window; }

std::int32_t ChipsetEnableWindow() {
  if (g_chipset.window) return 0;
  if (g_chipset.matched < 0) return 1;
  if (ChipsetRoutine enable = kChipsetTable[g_chipset.matched].window_enable) enable();
  return 0;
}

std::int32_t ChipsetRestoreWindow() {
  if (!g_chipset.window) return 0;
  if (g_chipset.matched < 0) return 1;
  if (ChipsetRoutine restore = kChipsetTable[g_chipset.matched].restore) restore();
  g_chipset.window = 0;
  return 0;
}

std::uint32_t DisplayChipId() { return g_chipset.display_chip; }
std::uint32_t DisplayFrameBufferBar() { return g_chipset.display_bar; }

void ChipsetSelectWindow() {
  g_chipset.window = 0;
  if (g_chipset.matched < 0 || g_chipset.bus == kNone || g_chipset.device == kNone) return;
  if (ChipsetRoutine enable = kChipsetTable[g_chipset.matched].window_enable) enable();
}

void ResetChipsetState() { g_chipset = ChipsetState{}; }

}  // namespace rg7
