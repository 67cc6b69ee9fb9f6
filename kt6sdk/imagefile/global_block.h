// Memory of the file layer: movable, zero-filled global blocks, locked at once.
#pragma once

#include <cstddef>

namespace fio {

// Null when the block cannot be allocated or locked.
void* AllocLocked(std::size_t bytes);
// Unlocks and frees a block from AllocLocked; null is ignored.
void FreeLocked(void* memory);

template <class T>
T* AllocLockedAs(std::size_t bytes = sizeof(T)) {
  return static_cast<T*>(AllocLocked(bytes));
}

}  // namespace fio
