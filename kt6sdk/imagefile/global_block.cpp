#include "kt6sdk/imagefile/global_block.h"

#include "platform/global_memory.h"

namespace fio {

void* AllocLocked(std::size_t bytes) {
  HGLOBAL handle = GlobalAlloc(GHND, bytes);
  if (!handle) return nullptr;
  void* memory = GlobalLock(handle);
  if (!memory) GlobalFree(handle);
  return memory;
}

void FreeLocked(void* memory) {
  if (!memory) return;
  HGLOBAL handle = GlobalHandle(memory);
  GlobalUnlock(handle);
  GlobalFree(handle);
}

}  // namespace fio
