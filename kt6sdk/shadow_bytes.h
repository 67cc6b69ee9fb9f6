// The shadows of write-only device registers live in the board configuration
// record. A thread that has the serial bus writes them; any thread reads them, so
// each byte is accessed atomically.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kt6 {

inline std::uint8_t LoadShadow(const std::uint8_t& byte) {
  return std::atomic_ref<std::uint8_t>(const_cast<std::uint8_t&>(byte)).load(std::memory_order_relaxed);
}

inline void StoreShadow(std::uint8_t& byte, std::uint8_t value) {
  std::atomic_ref<std::uint8_t>(byte).store(value, std::memory_order_relaxed);
}

// A field of a packed record at `offset`, byte by byte: the interrupt thread reads
// settings that callers' threads change. (A reference to a packed field would be
// misaligned.)
template <typename T>
T LoadShadowField(const void* record, std::size_t offset) {
  const auto* bytes = static_cast<const std::uint8_t*>(record) + offset;
  T value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value = static_cast<T>(value | T(LoadShadow(bytes[i])) << (8 * i));
  return value;
}

template <typename T>
void StoreShadowField(void* record, std::size_t offset, T value) {
  auto* bytes = static_cast<std::uint8_t*>(record) + offset;
  for (std::size_t i = 0; i < sizeof(T); ++i) StoreShadow(bytes[i], static_cast<std::uint8_t>(value >> (8 * i)));
}

// Bytes copied one by one into a record that the interrupt thread reads.
inline void StoreShadowBytes(void* record, const void* from, std::size_t count) {
  auto* to = static_cast<std::uint8_t*>(record);
  const auto* bytes = static_cast<const std::uint8_t*>(from);
  for (std::size_t i = 0; i < count; ++i) StoreShadow(to[i], bytes[i]);
}

}  // namespace kt6
