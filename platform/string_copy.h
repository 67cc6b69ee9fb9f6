// Strings handed out into a caller's buffer.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace platform {

// Copies what fits of `text` (at most size - 1 characters) and a terminating zero;
// returns the number of characters copied. Nothing for a null buffer or size 0.
inline std::size_t CopyTruncated(std::string_view text, char* buffer, std::size_t size) {
  if (!buffer || size == 0) return 0;
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  // An empty view may carry no data pointer at all.
  if (n != 0) std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

}  // namespace platform
