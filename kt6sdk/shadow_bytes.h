// The shadows of write-only device registers live in the board configuration
// record. A thread that has the serial bus writes them; any thread reads them, so
// each byte is accessed atomically.
#pragma once

#include <atomic>
#include <cstdint>

namespace kt6 {

inline std::uint8_t LoadShadow(const std::uint8_t& byte) {
  return std::atomic_ref<std::uint8_t>(const_cast<std::uint8_t&>(byte)).load(std::memory_order_relaxed);
}

inline void StoreShadow(std::uint8_t& byte, std::uint8_t value) {
  std::atomic_ref<std::uint8_t>(byte).store(value, std::memory_order_relaxed);
}

}  // namespace kt6
