#include "platform/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/fault_injection.h"
#include "platform/last_error.h"

namespace {

struct BlockInfo {
  SIZE_T size = 0;
  int locks = 0;
};

std::mutex g_mutex;
std::unordered_map<const void*, BlockInfo> g_blocks;

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  DWORD error = ERROR_SUCCESS;
  if (platform::faults::ShouldFail("GlobalAlloc", &error)) {
    SetLastError(error);
    return nullptr;
  }
  // A zero-byte request still yields a distinct block.
  void* block = std::malloc(bytes ? bytes : 1);
  if (!block) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (flags & GMEM_ZEROINIT) std::memset(block, 0, bytes ? bytes : 1);
  std::lock_guard lock(g_mutex);
  g_blocks[block] = BlockInfo{bytes, 0};
  return block;
}

LPVOID GlobalLock(HGLOBAL memory) {
  if (!memory) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DWORD error = ERROR_SUCCESS;
  if (platform::faults::ShouldFail("GlobalLock", &error)) {
    SetLastError(error);
    return nullptr;
  }
  std::lock_guard lock(g_mutex);
  auto it = g_blocks.find(memory);
  // A block from outside the system (malloc'd by a peer) is its own address too.
  if (it != g_blocks.end()) ++it->second.locks;
  return memory;
}

BOOL GlobalUnlock(HGLOBAL memory) {
  if (!memory) return FALSE;
  std::lock_guard lock(g_mutex);
  auto it = g_blocks.find(memory);
  if (it == g_blocks.end() || it->second.locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  --it->second.locks;
  if (it->second.locks == 0) {
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  return TRUE;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  if (!memory) return nullptr;
  {
    std::lock_guard lock(g_mutex);
    g_blocks.erase(memory);
  }
  std::free(memory);
  return nullptr;
}

HGLOBAL GlobalHandle(LPCVOID memory) { return const_cast<void*>(memory); }

SIZE_T GlobalSize(HGLOBAL memory) {
  std::lock_guard lock(g_mutex);
  auto it = g_blocks.find(memory);
  if (it == g_blocks.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return it->second.size;
}

namespace platform {
std::size_t LiveGlobalBlocks() {
  std::lock_guard lock(g_mutex);
  return g_blocks.size();
}
}  // namespace platform
