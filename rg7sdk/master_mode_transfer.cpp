// Pointing the board's video DMA at a caller's pinned buffer: the physical pages
// go into the hardware page tables, or, for scattered buffers with long lines, the
// DMA fills the bounce buffers and the interrupt handler copies the lines.
#include <cstring>

#include "rg7sdk/board_records.h"
#include "rg7sdk/driver_link.h"
#include "rg7sdk/master_buffers.h"
#include "rg7sdk/pixel_codes.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

constexpr std::uint32_t kStrideFieldMax = 0x7FF;  // VXP_PCI_DMA_VID_STRIDE_CNT
constexpr std::uint32_t kBounceMinLine = 1024;

// The two temporary page lists of one call, released on every path.
struct PageLists {
  PhysicalPageList* pinned = AllocatePageList();
  PhysicalPageList* pieces = AllocatePageList();
  ~PageLists() {
    FreePageList(pinned);
    FreePageList(pieces);
  }
  bool ok() const { return pinned && pieces; }
};

// Gets the buffer's pages and splits them at 4 KB boundaries.
std::int32_t MapBuffer(void* buffer, std::uint32_t size, PageLists& lists, bool* scattered) {
  std::memset(lists.pinned, 0, 16);
  lists.pinned->max_entries = static_cast<std::uint16_t>(kPageListCapacity);
  if (std::int32_t r = DrvLockPages(buffer, size, lists.pinned)) return r;
  std::uint64_t covered = 0;
  std::uint32_t count = lists.pinned->entry_count;
  if (count > kPageListCapacity) return RG7_ERR_PAGE_TABLE;
  std::memset(lists.pieces, 0, 16);
  lists.pieces->max_entries = static_cast<std::uint16_t>(kPageListCapacity);
  for (std::uint32_t i = 0; i < count; ++i) {
    covered += lists.pinned->entries[i].length;
    if (!BuildPageList4K(lists.pinned->entries[i].address, lists.pinned->entries[i].length, lists.pieces))
      return RG7_ERR_PAGE_TABLE;
  }
  // A list that does not describe the whole buffer would send the DMA elsewhere.
  if (count == 0 || covered < size) return RG7_ERR_PAGE_TABLE;
  if (lists.pieces->entry_count > kPageTableEntries) return RG7_ERR_PAGE_TABLE;
  *scattered = count != 1;
  return 0;
}

// Bytes a window of `lines` lines needs in a buffer with lines `lineBytes` apart.
std::uint64_t NeededBytes(std::uint32_t lines, std::uint32_t lineBytes, std::uint32_t rowBytes) {
  return lines == 0 ? 0 : std::uint64_t{lines - 1} * lineBytes + rowBytes;
}

std::int32_t CheckWindow(const GrabWindowDesc* desc, std::uint32_t size, std::uint32_t pitch, std::uint32_t lines,
                         std::uint32_t* bpp, std::uint32_t* lineBytes) {
  if (!desc) return RG7_ERR_PARAMETER;
  *bpp = BytesPerPixel(desc->pixel_code);
  if (*bpp == 0) return RG7_ERR_PARAMETER;
  std::uint64_t l = std::uint64_t{pitch} * *bpp;
  if (l % 4 != 0 || l == 0 || l > 0xFFFFFFFFu) return RG7_ERR_PARAMETER;
  *lineBytes = static_cast<std::uint32_t>(l);
  std::uint64_t row = std::uint64_t{desc->width} * *bpp;
  if (row > l || NeededBytes(lines, *lineBytes, static_cast<std::uint32_t>(row)) > size) return RG7_ERR_PARAMETER;
  return 0;
}

}  // namespace

}  // namespace rg7

using namespace rg7;

std::int32_t RG7SetMasterModeTransfer(GrabWindowDesc* desc, void* buffer, std::uint32_t size, std::uint32_t pitch) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  std::uint32_t bpp = 0, l = 0;
  if (std::int32_t r = CheckWindow(desc, size, pitch, desc ? desc->height : 0, &bpp, &l)) return r;
  RG7BoardRecord& board = CurrentBoardRecord();
  MasterModeBlock& m = board.master;
  if (!m.page[0] || !m.page[1]) return RG7_ERR_NOT_OPEN;

  PageLists lists;
  if (!lists.ok()) return RG7_ERR_NO_MEMORY;
  bool scattered = false;
  if (std::int32_t r = MapBuffer(buffer, size, lists, &scattered)) return r;
  const PhysicalPageList& pieces = *lists.pieces;

  bool bounce = scattered && l >= kBounceMinLine;
  // Each bounce field needs a line of its own in the buffer.
  if (bounce && (desc->height < 2 || size < 2 * std::uint64_t{l})) return RG7_ERR_PARAMETER;
  // The stride field counts dwords: L/4 for the bounce path, two lines (L/2) direct.
  std::uint32_t strideCount = bounce ? l / 4 : l / 2;
  if (strideCount > kStrideFieldMax) return RG7_ERR_PARAMETER;
  if (bounce &&
      (!m.bounce[0] || !m.bounce[1] || std::uint64_t{desc->height / 2} * l > std::uint64_t{kBounceBufferSize}))
    return RG7_ERR_PARAMETER;

  std::lock_guard lock(board.transfer_lock);  // the interrupt handler copies with these values
  for (FieldTransfer& f : m.field) f.scatter = scattered ? 1 : 0;
  auto* target = static_cast<std::uint8_t*>(buffer);
  m.programmed[0] = m.programmed[1] = TransferTarget{target, size};
  desc->pitch = pitch;
  if (bounce) {
    for (int i = 0; i < 2; ++i) {
      FieldTransfer& f = m.field[i];
      f.target = target + i * l;
      f.target_size = size - i * l;
      f.stride = 2 * l;
      f.line_length = desc->width * bpp;
      f.line_count = desc->height / 2;
      f.bounce_stride = l;
      f.bounce = 1;
      std::memcpy(m.page[i], m.bounce_table[i], kPageTableEntries * 4);
    }
    IHW_SetField(VXP_PCI_DMA_VID_ADDR1, m.page[0][0]);
    IHW_SetField(VXP_PCI_DMA_VID_PTO_ADDR1, m.page_physical[0] + 4);
    IHW_SetField(VXP_PCI_DMA_VID_ADDR2, m.page[1][0]);
    IHW_SetField(VXP_PCI_DMA_VID_PTO_ADDR2, m.page_physical[1] + 4);
    IHW_SetField(VXP_PCI_DMA_VID_STRIDE_CNT, strideCount);
    return 0;
  }

  for (FieldTransfer& f : m.field) f.bounce = 0;
  std::uint32_t* table = m.page[0];
  FillPageTable(table, pieces);
  IHW_SetField(VXP_PCI_DMA_VID_ADDR1, table[0]);
  IHW_SetField(VXP_PCI_DMA_VID_PTO_ADDR1, m.page_physical[0] + 4);
  // Field 1 starts one line later in the same table.
  std::uint32_t o = (table[0] & 0xFFF) + l;
  if (o >= 4096) {
    IHW_SetField(VXP_PCI_DMA_VID_ADDR2, table[1] + (o - 4096));
    IHW_SetField(VXP_PCI_DMA_VID_PTO_ADDR2, m.page_physical[0] + 8);
  } else {
    IHW_SetField(VXP_PCI_DMA_VID_ADDR2, table[0] + l);
    IHW_SetField(VXP_PCI_DMA_VID_PTO_ADDR2, m.page_physical[0] + 4);
  }
  IHW_SetField(VXP_PCI_DMA_VID_STRIDE_CNT, strideCount);
  return 0;
}

std::int32_t RG7SetMasterModeTransferField(GrabWindowDesc* desc, void* buffer, std::uint32_t size, std::uint32_t pitch,
                                           std::uint32_t field) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (field > 1) return RG7_ERR_PARAMETER;
  RG7BoardRecord& board = CurrentBoardRecord();
  if (!CurrentCameraRecord().frame_flag) return RG7_ERR_PARAMETER;
  std::uint32_t bpp = 0, l = 0;
  if (std::int32_t r = CheckWindow(desc, size, pitch, desc ? desc->height / 2 : 0, &bpp, &l)) return r;
  if (l / 4 > kStrideFieldMax) return RG7_ERR_PARAMETER;
  MasterModeBlock& m = board.master;
  if (!m.page[field]) return RG7_ERR_NOT_OPEN;

  PageLists lists;
  if (!lists.ok()) return RG7_ERR_NO_MEMORY;
  bool scattered = false;
  if (std::int32_t r = MapBuffer(buffer, size, lists, &scattered)) return r;

  std::lock_guard lock(board.transfer_lock);
  m.field[field].scatter = scattered ? 1 : 0;
  m.programmed[field] = TransferTarget{static_cast<std::uint8_t*>(buffer), size};
  // This field now goes straight to its buffer: no copy from a bounce buffer.
  m.field[field].bounce = 0;
  desc->pitch = pitch;
  std::uint32_t* table = m.page[field];
  FillPageTable(table, *lists.pieces);
  if (field == 0) {
    IHW_SetField(VXP_PCI_DMA_VID_ADDR1, table[0]);
    IHW_SetField(VXP_PCI_DMA_VID_PTO_ADDR1, m.page_physical[0] + 4);
  } else {
    IHW_SetField(VXP_PCI_DMA_VID_ADDR2, table[0]);
    IHW_SetField(VXP_PCI_DMA_VID_PTO_ADDR2, m.page_physical[1] + 4);
  }
  IHW_SetField(VXP_PCI_DMA_VID_STRIDE_CNT, l / 4);
  return 0;
}

std::int32_t RG7GetMasterModeTransferControl(std::uint32_t field, MasterTransferControl* control) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (field > 1 || !control) return RG7_ERR_PARAMETER;
  RG7BoardRecord& board = CurrentBoardRecord();
  std::lock_guard lock(board.transfer_lock);
  const FieldTransfer& f = board.master.field[field];
  control->target = f.target;
  control->target_size = f.target_size;
  control->line_length = f.line_length;
  control->line_count = f.line_count;
  control->stride = f.stride;
  return 0;
}

std::int32_t RG7SetMasterModeTransferControl(std::uint32_t field, const MasterTransferControl* control) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (field > 1 || !control) return RG7_ERR_PARAMETER;
  // The bounce copy trusts these values: they must fit the bounce buffer and the target.
  std::uint64_t lines = control->line_count, length = control->line_length;
  if (lines > 0) {
    if (!control->target || lines * length > kBounceBufferSize ||
        (lines - 1) * std::uint64_t{control->stride} + length > control->target_size)
      return RG7_ERR_PARAMETER;
  }
  RG7BoardRecord& board = CurrentBoardRecord();
  std::lock_guard lock(board.transfer_lock);
  FieldTransfer& f = board.master.field[field];
  f.target = static_cast<std::uint8_t*>(control->target);
  f.target_size = control->target_size;
  f.line_length = control->line_length;
  f.line_count = control->line_count;
  f.stride = control->stride;
  return 0;
}
