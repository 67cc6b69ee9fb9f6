// Example: the 700-series library on the default virtual PC. It attaches the
// library as the loader would, lists the boards the driver found, selects the
// first one, works with the bridge's registers by field name and reads the
// decoders' identities over the serial bus.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/paths.h"
#include "rg7sdk/board_nodes.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/library_entry.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg700_ini.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/machine.h"

namespace {

std::uint32_t FieldIndex(const char* name) {
  const rg7::FieldTableDescriptor* d = rg7::IHW_GetFieldTable();
  for (std::uint32_t i = 0; i < d->count; ++i)
    if (d->table[i].name && std::strcmp(d->table[i].name, name) == 0) return i;
  return 0xFFFFFFFF;
}

void ShowField(const char* name) {
  std::printf("  %-28s = 0x%X\n", name, rg7::IHW_GetField(FieldIndex(name)));
}

}  // namespace

int main() {
  sim::PowerOn();
  rg7::LibraryAttach();
  rg7::ReadRg700Ini();

  int boards = rg7::EnumerateBoards(rg7::kZephlorSubsystemVendor, nullptr);
  std::printf("RG-700 boards found: %d\n", boards);
  for (rg7::BoardNode* n = rg7::FirstBoardNode(); n; n = n->next) {
    std::uint16_t vendor = static_cast<std::uint16_t>(n->config[0x2C] | n->config[0x2D] << 8);
    std::printf("  board %u: bus %u device %u subsystem %04X:%04X variant %u\n", n->board_index, n->bus, n->device,
                vendor, n->subsystem_id, n->subsystem_id >> 6);
  }
  std::printf("host bridge: %s\n", rg7::ChipsetName());
  if (boards <= 0 || rg7::SelectBoardNode(0) != 0) {
    std::printf("no board to work with\n");
    rg7::LibraryDetach();
    return 1;
  }

  std::uint32_t id = 0;
  GetPCIDWord(0x00, &id);
  std::printf("board 0 PCI id: %08X, interrupt line %d\n", id, rg7::GetBoardIrqLine());

  rg7::IHW_SetField(rg7::kLoadFieldTable, 0);
  rg7::IHW_SetField(FieldIndex("VXP_VBI_LINE_SEL"), 0x123456);
  rg7::IHW_SetField(FieldIndex("VXP_PCI_SYS_MEM_PAGE"), 63);
  rg7::IHW_SetField(FieldIndex("VXP_HSCALE_CTL"), 0x1FFF);
  rg7::IHW_SetField(FieldIndex("VXP_GIO_CTL_A"), 0x83);
  std::printf("bridge fields:\n");
  ShowField("VXP_VBI_LINE_SEL");
  ShowField("VXP_PCI_SYS_MEM_PAGE");
  ShowField("VXP_HSCALE_CTL");
  ShowField("VXP_GIO_CTL_A");
  std::printf("  register 114..116 = %02X %02X %02X\n", IHW_GetRegister(114), IHW_GetRegister(115),
              IHW_GetRegister(116));

  // The decoders answer on the board's serial bus; an absent one reads all ones.
  std::printf("decoders: Bt829A identity 0x%02X, VPC32x5C identity 0x%04X\n", RG7InByteBt829A(0x17),
              RG7InWordVPC32x5C_FP(0xF1));

  rg7::LibraryDetach();
  sim::PowerOff();
  return 0;
}
