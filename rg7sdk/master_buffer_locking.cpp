// Locking a caller's buffer for master-mode transfers, and unlocking it. A transfer
// programmed into memory that is being unlocked is forgotten, and a grab that writes
// into it is stopped first: the board never writes to memory that nobody pinned.
#include "rg7sdk/board_nodes.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/driver_link.h"
#include "rg7sdk/grab_state_machine.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

bool Overlaps(const std::uint8_t* address, std::uint32_t size, const std::uint8_t* begin, std::uint32_t length) {
  if (!address || size == 0 || length == 0) return false;
  auto a = reinterpret_cast<std::uintptr_t>(address), b = reinterpret_cast<std::uintptr_t>(begin);
  return a < b + length && b < a + size;
}

// Forgets what `board` had programmed into [begin, begin + length); true when a
// grab runs that writes there, through the DMA or the bounce copy.
bool ForgetTransfersInto(RG7BoardRecord& board, const std::uint8_t* begin, std::uint32_t length) {
  std::lock_guard lock(board.transfer_lock);
  MasterModeBlock& m = board.master;
  // Copy targets count only while a field is copied at all.
  bool copying = m.field[0].bounce || m.field[1].bounce;
  bool any = false;
  for (int f = 0; f < 2; ++f) {
    if (Overlaps(m.programmed[f].address, m.programmed[f].size, begin, length)) {
      m.programmed[f] = TransferTarget{};
      any = true;
    }
    FieldTransfer& t = m.field[f];
    if (Overlaps(t.target, t.target_size, begin, length)) {
      t.target = nullptr;
      t.target_size = 0;
      any = any || copying;
    }
  }
  return any && GrabRunning(board);
}

// Stops the grab of board `index`, which need not be the current one.
void StopGrabOf(std::uint16_t index) {
  std::uint16_t board = CurrentBoardIndex(), camera = CurrentCameraIndex();
  if (index != board) {
    SetCurrentBoardIndex(index);
    SelectBoardNode(index);
  }
  RG7StopGrab(nullptr, 0);
  if (index != board) {
    SetCurrentBoardIndex(board);
    SetCurrentCameraIndex(camera);
    SelectBoardNode(board);
  }
}

}  // namespace
}  // namespace rg7

using namespace rg7;

std::int32_t RG7LockMasterBuffer(void* address, std::uint32_t size) { return DrvPinBuffer(address, size); }

std::int32_t RG7UnlockMasterBuffer(void* address, std::uint32_t size) {
  const auto* begin = static_cast<const std::uint8_t*>(address);
  for (std::uint16_t i = 0; i < kMaxBoardRecords; ++i) {
    RG7BoardRecord& board = g_boardRecords[i];
    if (board.open.load() && ForgetTransfersInto(board, begin, size)) StopGrabOf(i);
  }
  return DrvUnpinBuffer(address, size);
}
