// The scatter list of the Windows 95 build: the VxD locks the range as it lists
// its pages and unlocks it on release.
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/page_lists.h"

using namespace kt6;

ScatterList* KT6BuildScatterList(const void* address, std::uint32_t size) {
  ScatterList* list = nullptr;
  // A range listed but not cut is locked by now: it is let go again.
  if (BuildScatterList(address, size, &list) == ScatterBuild::kNotCut) {
    PageList scratch{};
    DrvReleasePageList(PageListRangeOf(reinterpret_cast<std::uintptr_t>(address), size), &scratch);
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
