#include "rg7sdk/global_block.h"

#include "platform/global_memory.h"

namespace rg7 {

void* AllocateGlobalBlock(std::uint32_t size) {
  HGLOBAL h = GlobalAlloc(GHND, size);
  if (!h) return nullptr;
  void* p = GlobalLock(h);
  if (!p) GlobalFree(h);
  return p;
}

void FreeGlobalBlock(void* block) {
  if (!block) return;
  HGLOBAL h = GlobalHandle(block);
  GlobalUnlock(h);
  GlobalFree(h);
}

}  // namespace rg7
