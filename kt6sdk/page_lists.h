// The page list the driver returns for a range of memory, and the scatter list the
// library cuts from it for the bus master: runs of at most 4 KB, each with its
// offset in the buffer. Both are byte-packed; the scatter list lives in global
// memory from KT6BuildScatterList to KT6ReleasePageList, which each driver
// back-end builds in its own way.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kt6sdk/driver_link.h"
#include "platform/global_memory.h"

#pragma pack(push, 1)

struct PageListEntry {
  std::uint32_t physical;
  std::uint32_t length;
};

struct PageList {
  std::uint8_t driver_header[14];  // as the driver fills it
  std::uint16_t count;             // runs; a zero-length entry ends them where there is room
  PageListEntry entries[512];
};
static_assert(sizeof(PageList) == kt6::kPageListBytes);

struct ScatterEntry {
  std::uint32_t physical;
  std::uint32_t length;
  std::uint32_t offset;  // of the piece in the buffer, from its aligned start
};

struct ScatterList {
  // The caller's buffer, which may lie anywhere in a 64-bit process: widened from
  // 32 bits, the list from 6156 bytes to 6160.
  std::uint64_t linear;
  std::uint32_t size;
  std::uint16_t count;       // pieces
  std::uint16_t correction;  // bytes the first piece starts past the first run
  ScatterEntry entries[512];
};
static_assert(sizeof(ScatterList) == 6160);

#pragma pack(pop)

namespace kt6 {

constexpr std::size_t kPageListRuns = sizeof(PageList::entries) / sizeof(PageListEntry);
constexpr std::size_t kScatterPieces = sizeof(ScatterList::entries) / sizeof(ScatterEntry);
// The bus master moves at most a page per piece.
constexpr std::uint32_t kPieceBytes = 4096;

// The runs of a page list that can be trusted: at most what it holds, and none from
// its end entry on.
std::uint16_t PageListRunCount(const PageList& list);

// Fills the scatter list's pieces and correction from the page list; false when a
// trim would wrap a run's length, nothing is left to move, or the pieces do not
// fit the list.
bool FillScatterList(const PageList& pages, ScatterList* list);

// What became of a scatter list: built; no page list (nothing asked of the driver,
// or the driver or memory refused); or a page list whose runs cannot be cut (the
// driver has listed, and the Windows 95 driver locked, the range by then).
enum class ScatterBuild { kBuilt, kNoPageList, kNotCut };
// The scatter list of the range in a zeroed global block, from the driver's page
// list; null unless built. A range too small for both trims is never listed.
ScatterBuild BuildScatterList(const void* address, std::uint32_t size, ScatterList** list);

inline PageListRange PageListRangeOf(std::uint64_t linear, std::uint32_t size) {
  return PageListRange{linear, size, 0};
}

// A zeroed global block of the record's size, or null.
template <class Record>
Record* AllocateZeroed() {
  return static_cast<Record*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(Record)));
}

}  // namespace kt6
