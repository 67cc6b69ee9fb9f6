// The two bus masters of the chip: the command engine, which moves a scatter list's
// pieces, and the transfer engine, which copies a locked range into the video frame.
#include <algorithm>
#include <thread>
#include <vector>

#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/page_lists.h"
#include "kt6sdk/register_access.h"
#include "platform/clock.h"
#include "platform/global_memory.h"
#include "platform/priority_class.h"
#include "platform/virtual_memory.h"

namespace kt6 {
namespace {

constexpr unsigned kCommandStatusReads = 75;
// The transfer engine answers within microseconds; this long means it never will.
constexpr DWORD kEngineLimitMs = 200;

enum class AddressOrder { kFrameFirst, kPhysicalFirst };

std::int32_t MoveScatterList(const ScatterList* list, AddressOrder order) {
  using namespace busmaster;
  if (!list) return KT6_ERR_GENERAL;
  HANDLE process = GetCurrentProcess();
  DWORD priority = GetPriorityClass(process);
  SetPriorityClass(process, HIGH_PRIORITY_CLASS);
  KT6WaitBusMaster(kCommandIdle);
  std::uint32_t frame = g_state.config.video_frame_offset;
  std::uint32_t count = std::min<std::uint32_t>(list->count, kScatterPieces);
  for (std::uint32_t i = 0; i < count; ++i) {
    ScatterEntry piece = list->entries[i];
    std::uint32_t display = piece.offset + frame;
    std::uint32_t physical = piece.physical | kPhysicalFlag;
    bool frameFirst = order == AddressOrder::kFrameFirst;
    KT6MMIOWrite32Raw(kCommandSetup, kSetupWord);
    KT6MMIOWrite32Raw(kCommandFirstAddress, frameFirst ? display : physical);
    KT6MMIOWrite32Raw(kCommandSecondAddress, frameFirst ? physical : display);
    KT6MMIOWrite32Raw(kCommandMove, kMoveWord);
    KT6MMIOWrite32Raw(kCommandCount, ((piece.length & ~(kCountUnit - 1)) - kCountUnit) | kCountFlags);
    KT6WaitBusMaster(kCommandIdle);
  }
  SetPriorityClass(process, priority);
  return KT6_OK;
}

template <class Condition>
bool AwaitEngine(Condition condition) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= kEngineLimitMs) return false;
    std::this_thread::yield();
  }
  return true;
}

std::int32_t TransferPiece(std::uint32_t destination, PageListEntry piece) {
  using namespace busmaster;
  KT6MMIOWrite32Raw(kDestination, destination);
  std::uint32_t kept = KT6MMIORead32Raw(kLengthControl) & kLengthControlKept;
  KT6MMIOWrite32Raw(kLengthControl, kept | ((piece.length / kLengthUnit - 1) << kLengthShift));
  KT6MMIOWrite32Raw(kSource, piece.physical | kSourceFlag);
  KT6MMIOWrite32Raw(kLength, (piece.length & ~(kLengthDword - 1)) - kLengthDword);
  if (!AwaitEngine([] { return (KT6MMIORead32Raw(mmio::kEngineStatus) & mmio::kEngineIdle) != 0; }))
    return KT6_ERR_TIMEOUT;
  KT6MMIOWrite32Raw(kStart, kGo);
  if (!AwaitEngine([] { return (KT6MMIORead32Raw(kStart) & kGo) == 0; })) return KT6_ERR_TIMEOUT;
  std::uint32_t control = (KT6MMIORead32Raw(kControl) & kControlKept) | kControlPulse;
  KT6MMIOWrite32Raw(kControl, control);
  KT6MMIOWrite32Raw(kControl, control & ~kControlPulse);
  return KT6_OK;
}

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6WaitBusMaster(std::uint32_t mask) {
  for (unsigned i = 0; i < kCommandStatusReads; ++i)
    if ((KT6MMIORead32Raw(busmaster::kCommandStatus) & mask) == mask) return KT6_OK;
  return KT6_ERR_TIMEOUT;
}

std::int32_t KT6BusMasterFrameFirst(const ScatterList* list) {
  return MoveScatterList(list, AddressOrder::kFrameFirst);
}

std::int32_t KT6BusMasterPhysicalFirst(const ScatterList* list) {
  return MoveScatterList(list, AddressOrder::kPhysicalFirst);
}

std::int32_t KT6TransferToFrame(const void* address, std::uint32_t size) {
  auto* pages = static_cast<PageList*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(PageList)));
  if (!pages || KT6GetPageList(address, size, pages) != KT6_OK) {
    GlobalFree(pages);
    return KT6_ERR_GENERAL;
  }
  // A run longer than a piece gives several: the list grows as far as it must.
  std::vector<PageListEntry> pieces;
  for (std::uint16_t i = 0; i < pages->count; ++i) {
    PageListEntry run = pages->entries[i];
    for (std::uint32_t cut = 0; cut < run.length; cut += kPieceBytes)
      pieces.push_back(PageListEntry{run.physical + cut, std::min(kPieceBytes, run.length - cut)});
  }
  GlobalFree(pages);
  // Each piece goes where its bytes are in the buffer: a buffer that does not start
  // on a page has a short first piece.
  std::uint32_t at = g_state.config.video_frame_offset;
  std::int32_t result = KT6_OK;
  // The engine moves whole units: a piece shorter than one cannot be told to it;
  // and the copy must end inside the display memory the capture may use.
  bool movable = std::uint64_t(at) + size <= g_state.board.memory_bytes &&
                 std::all_of(pieces.begin(), pieces.end(),
                             [](const PageListEntry& p) { return p.length >= busmaster::kLengthUnit; });
  if (!movable) result = KT6_ERR_PARAMETER;
  for (std::size_t i = 0; movable && i < pieces.size(); ++i) {
    result = TransferPiece(at, pieces[i]);
    if (result != KT6_OK) break;
    at += pieces[i].length;
  }
  // The range was locked for its page list; the copy is done with it.
  std::uint8_t scratch[kPageListBytes];
  DrvReleasePageList(PageListRange{reinterpret_cast<std::uintptr_t>(address), size, 0}, scratch);
  return result;
}
