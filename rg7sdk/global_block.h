// Zero-filled movable global memory, locked at once: the library's records and
// buffers come from here and go back with FreeGlobalBlock.
#pragma once

#include <cstdint>

namespace rg7 {

void* AllocateGlobalBlock(std::uint32_t size);
void FreeGlobalBlock(void* block);

template <class T>
T* AllocateGlobalRecord() {
  return static_cast<T*>(AllocateGlobalBlock(sizeof(T)));
}

}  // namespace rg7
