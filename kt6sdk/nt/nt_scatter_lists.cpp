// The scatter list of the NT build: the library locks the range itself (the
// process's working set grown to hold it) before the driver lists its pages, and
// unlocks it on release without asking the driver.
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/page_lists.h"
#include "platform/virtual_memory.h"

using namespace kt6;

namespace {

constexpr SIZE_T kPageBytes = 4096;
constexpr std::uint32_t kPageShift = 12;
constexpr SIZE_T kSparePages = 2;

SIZE_T WorkingSetGrowth(std::uint32_t size) { return ((size >> kPageShift) + kSparePages) * kPageBytes; }

// Moves both limits of the working set by `bytes` up (or down); false when the
// system refuses or a limit would go below zero.
bool MoveWorkingSet(SIZE_T bytes, bool grow) {
  HANDLE process = GetCurrentProcess();
  SIZE_T minimum = 0, maximum = 0;
  if (!GetProcessWorkingSetSize(process, &minimum, &maximum)) return false;
  if (!grow && (minimum < bytes || maximum < bytes)) return false;
  return SetProcessWorkingSetSize(process, grow ? minimum + bytes : minimum - bytes,
                                  grow ? maximum + bytes : maximum - bytes) != FALSE;
}

}  // namespace

ScatterList* KT6BuildScatterList(const void* address, std::uint32_t size) {
  if (!address || size == 0) return nullptr;
  SIZE_T growth = WorkingSetGrowth(size);
  if (!MoveWorkingSet(growth, true)) return nullptr;
  auto* range = const_cast<void*>(address);
  if (!VirtualLock(range, size)) {
    MoveWorkingSet(growth, false);
    return nullptr;
  }
  ScatterList* list = nullptr;
  if (BuildScatterList(address, size, &list) != ScatterBuild::kBuilt) {
    // Nothing of the lock is left behind.
    VirtualUnlock(range, size);
    MoveWorkingSet(growth, false);
  }
  return list;
}

std::int32_t KT6ReleasePageList(ScatterList* list) {
  if (!list) return KT6_ERR_GENERAL;
  bool shrunk = MoveWorkingSet(WorkingSetGrowth(list->size), false);
  bool unlocked = VirtualUnlock(reinterpret_cast<void*>(static_cast<std::uintptr_t>(list->linear)), list->size);
  GlobalFree(list);
  return shrunk && unlocked ? KT6_OK : KT6_ERR_GENERAL;
}
