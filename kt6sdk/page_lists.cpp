// Page lists: the driver lists the physical runs of a range; the scatter list
// trims them to the 32-byte alignment the command engine moves and cuts them into
// pieces of at most 4 KB. How a range is locked for its scatter list is the
// driver back-end's (w95_scatter_lists.cpp, nt/).
#include "kt6sdk/page_lists.h"

#include <algorithm>

#include "kt6sdk/kt6sdk.h"
#include "platform/global_memory.h"

namespace kt6 {
namespace {

constexpr std::uint32_t kAlignment = 32;
// The smallest range whose runs keep something after both trims.
constexpr std::uint32_t kMinScatterBytes = 2 * kAlignment;

// Appends a run cut into pieces, each at the running offset; false when the list
// cannot hold them all.
bool AppendPieces(ScatterList* list, PageListEntry run, std::uint32_t* offset) {
  for (std::uint32_t cut = 0; cut < run.length; cut += kPieceBytes) {
    std::uint16_t count = list->count;
    if (count == kScatterPieces) return false;
    std::uint32_t length = std::min(kPieceBytes, run.length - cut);
    list->entries[count] = ScatterEntry{run.physical + cut, length, *offset};
    list->count = static_cast<std::uint16_t>(count + 1);
    *offset += length;
  }
  return true;
}

}  // namespace

bool FillScatterList(const PageList& pages, ScatterList* list) {
  std::uint16_t runs = pages.count;
  if (runs == 0) return false;
  PageListEntry first = pages.entries[0];
  std::uint32_t correction = 0;
  if (runs < 2) {
    // One run: its start goes up to the next boundary, and it loses a whole unit.
    correction = kAlignment - first.physical % kAlignment;
    if (first.length <= kAlignment) return false;
    list->count = 1;
    list->correction = static_cast<std::uint16_t>(correction);
    list->entries[0] = ScatterEntry{first.physical + correction, first.length - kAlignment, 0};
    return true;
  }
  // The first run loses its odd bytes at the start, the last what makes up a unit.
  correction = first.length % kAlignment;
  first.physical += correction;
  first.length -= correction;
  PageListEntry last = pages.entries[runs - 1];
  if (last.length < kAlignment - correction) return false;
  last.length -= kAlignment - correction;
  list->correction = static_cast<std::uint16_t>(correction);
  std::uint32_t offset = 0;
  for (std::uint16_t i = 0; i < runs; ++i) {
    PageListEntry run = i == 0 ? first : i == runs - 1 ? last : pages.entries[i];
    if (!AppendPieces(list, run, &offset)) return false;
  }
  return list->count != 0;
}

ScatterBuild BuildScatterList(const void* address, std::uint32_t size, ScatterList** out) {
  *out = nullptr;
  if (!address || size < kMinScatterBytes) return ScatterBuild::kNoPageList;
  auto* pages = AllocateZeroed<PageList>();
  auto* list = AllocateZeroed<ScatterList>();
  if (!pages || !list || KT6GetPageList(address, size, pages) != KT6_OK) {
    GlobalFree(pages);
    GlobalFree(list);
    return ScatterBuild::kNoPageList;
  }
  list->linear = reinterpret_cast<std::uintptr_t>(address);
  list->size = size;
  bool filled = FillScatterList(*pages, list);
  GlobalFree(pages);
  if (!filled) {
    GlobalFree(list);
    return ScatterBuild::kNotCut;
  }
  *out = list;
  return ScatterBuild::kBuilt;
}

std::uint16_t PageListRunCount(const PageList& list) {
  std::uint16_t count = std::min<std::uint16_t>(list.count, kPageListRuns);
  for (std::uint16_t i = 0; i < count; ++i)
    if (list.entries[i].length == 0) return i;
  return count;
}

}  // namespace kt6

using namespace kt6;

std::int32_t KT6GetPageList(const void* address, std::uint32_t size, void* out) {
  if (!DrvLockPageList(PageListRangeOf(reinterpret_cast<std::uintptr_t>(address), size), out)) return KT6_ERR_GENERAL;
  // The driver's count is not to be trusted past its own list.
  auto* list = static_cast<PageList*>(out);
  list->count = PageListRunCount(*list);
  return KT6_OK;
}

std::uint32_t KT6ScatterListBytes(const ScatterList* list, std::uint32_t count) {
  if (!list) return 0;
  std::uint32_t pieces = std::min<std::uint32_t>({count, list->count, kScatterPieces});
  std::uint32_t bytes = 0;
  for (std::uint32_t i = 0; i < pieces; ++i) bytes += list->entries[i].length;
  return bytes;
}
