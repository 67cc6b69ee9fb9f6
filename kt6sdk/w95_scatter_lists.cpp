// The scatter list of the Windows 95 build: the VxD locks the range as it lists
// its pages and unlocks it on release.
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/page_lists.h"

using namespace kt6;

ScatterList* KT6BuildScatterList(const void* address, std::uint32_t size) {
  auto* pages = AllocateZeroed<PageList>();
  auto* list = AllocateZeroed<ScatterList>();
  if (!pages || !list || KT6GetPageList(address, size, pages) != KT6_OK) {
    GlobalFree(pages);
    GlobalFree(list);
    return nullptr;
  }
  list->linear = reinterpret_cast<std::uintptr_t>(address);
  list->size = size;
  bool filled = FillScatterList(*pages, list);
  GlobalFree(pages);
  if (!filled) {
    // The range is locked by now: it goes with the list.
    KT6ReleasePageList(list);
    return nullptr;
  }
  return list;
}

std::int32_t KT6ReleasePageList(ScatterList* list) {
  if (!list) return KT6_ERR_GENERAL;
  PageList scratch{};
  bool released = DrvReleasePageList(PageListRangeOf(list->linear, list->size), &scratch);
  GlobalFree(list);
  return released ? KT6_OK : KT6_ERR_GENERAL;
}
