// The board's own master-mode memory: the two hardware DMA page tables and the
// two bounce buffers with their prepared page tables.
#pragma once

#include <cstdint>

#include "rg7sdk/board_records.h"
#include "rg7sdk/physical_page_list.h"

namespace rg7 {

constexpr std::uint32_t kPageBlockSize = 12288;
constexpr std::uint32_t kPageTableEntries = 1024;
constexpr std::uint32_t kBounceBufferSize = 0xD8000;

// A page list buffer from global memory (freed with FreePageList); null without memory.
PhysicalPageList* AllocatePageList();
void FreePageList(PhysicalPageList* list);

// Allocates and pins the page-table pages of `board` (-107 without memory, -100 when
// a page is not one physical piece or cannot be pinned).
std::int32_t PrepareHardwarePageTables(RG7BoardRecord& board, PhysicalPageList* scratch);
// Allocates and pins both bounce buffers and fills their page tables.
std::int32_t PrepareBounceBuffers(RG7BoardRecord& board, PhysicalPageList* scratch, PhysicalPageList* pieces);
// Unpins and frees what the two calls above made.
void ReleaseMasterBuffers(RG7BoardRecord& board);

// Writes the pieces' addresses into a 1024-entry table; the rest repeat entry 1.
void FillPageTable(std::uint32_t* table, const PhysicalPageList& pieces);

}  // namespace rg7
