#include "rg7sdk/master_buffers.h"

#include <cstring>

#include "rg7sdk/driver_link.h"
#include "rg7sdk/global_block.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

std::uint8_t* AlignUp(void* p) {
  auto a = reinterpret_cast<std::uintptr_t>(p);
  return reinterpret_cast<std::uint8_t*>((a + 4095) & ~std::uintptr_t{4095});
}

}  // namespace

PhysicalPageList* AllocatePageList() {
  return static_cast<PhysicalPageList*>(AllocateGlobalBlock(sizeof(PhysicalPageList)));
}

void FreePageList(PhysicalPageList* list) { FreeGlobalBlock(list); }

void FillPageTable(std::uint32_t* table, const PhysicalPageList& pieces) {
  std::uint32_t used = pieces.entry_count < kPageTableEntries ? pieces.entry_count : kPageTableEntries;
  for (std::uint32_t i = 0; i < used; ++i) table[i] = pieces.entries[i].address;
  std::uint32_t filler = used > 1 ? table[1] : (used == 1 ? table[0] : 0);
  for (std::uint32_t i = used; i < kPageTableEntries; ++i) table[i] = filler;
}

std::int32_t PrepareHardwarePageTables(RG7BoardRecord& board, PhysicalPageList* scratch) {
  MasterModeBlock& m = board.master;
  m.page_block = AllocateGlobalBlock(kPageBlockSize);
  if (!m.page_block) return RG7_ERR_NO_MEMORY;
  m.page_block_size = kPageBlockSize;
  std::uint8_t* first = AlignUp(m.page_block);
  for (int i = 0; i < 2; ++i) {
    m.page[i] = reinterpret_cast<std::uint32_t*>(first + i * 4096);
    m.page_size[i] = 4096;
    if (DrvPinBuffer(m.page[i], 4096) != 0) {
      m.page_size[i] = 0;
      return RG7_ERR_DRIVER;
    }
    std::memset(scratch, 0, 16);
    if (DrvLockPages(m.page[i], 4096, scratch) != 0 || scratch->entry_count != 1) return RG7_ERR_DRIVER;
    m.page_physical[i] = scratch->entries[0].address;
  }
  return 0;
}

std::int32_t PrepareBounceBuffers(RG7BoardRecord& board, PhysicalPageList* scratch, PhysicalPageList* pieces) {
  MasterModeBlock& m = board.master;
  for (int i = 0; i < 2; ++i) {
    m.bounce[i] = static_cast<std::uint8_t*>(AllocateGlobalBlock(kBounceBufferSize));
    m.bounce_table[i] = static_cast<std::uint32_t*>(AllocateGlobalBlock(kPageTableEntries * 4));
    if (!m.bounce[i] || !m.bounce_table[i]) return RG7_ERR_NO_MEMORY;
    if (DrvPinBuffer(m.bounce[i], kBounceBufferSize) != 0) return RG7_ERR_DRIVER;
    m.bounce_size[i] = kBounceBufferSize;
    std::memset(scratch, 0, 16);
    if (DrvLockPages(m.bounce[i], kBounceBufferSize, scratch) != 0) return RG7_ERR_DRIVER;
    std::memset(pieces, 0, 16);
    pieces->max_entries = static_cast<std::uint16_t>(kPageListCapacity);
    for (std::uint32_t e = 0; e < scratch->entry_count && e < kPageListCapacity; ++e)
      BuildPageList4K(scratch->entries[e].address, scratch->entries[e].length, pieces);
    FillPageTable(m.bounce_table[i], *pieces);
  }
  return 0;
}

void ReleaseMasterBuffers(RG7BoardRecord& board) {
  MasterModeBlock& m = board.master;
  if (m.page_block) {
    for (int i = 0; i < 2; ++i)
      if (m.page[i] && m.page_size[i]) DrvUnpinBuffer(m.page[i], 4096);
    FreeGlobalBlock(m.page_block);
  }
  for (int i = 0; i < 2; ++i) {
    if (m.bounce[i] && m.bounce_size[i]) DrvUnpinBuffer(m.bounce[i], kBounceBufferSize);
    FreeGlobalBlock(m.bounce[i]);
    FreeGlobalBlock(m.bounce_table[i]);
  }
  m = MasterModeBlock{};
}

}  // namespace rg7
