// Caller memory for master-mode transfers: page-aligned host memory (plus an
// offset into its first page), filled with 0xEE and locked while it lives.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "rg7sdk/rg7sdk.h"

namespace rg7_testing {

struct PinnedBuffer {
  explicit PinnedBuffer(std::size_t bytes, std::size_t offset = 0) : size(static_cast<std::uint32_t>(bytes)) {
    raw = static_cast<std::uint8_t*>(std::aligned_alloc(4096, (bytes + offset + 8191) & ~std::size_t{4095}));
    data = raw + offset;
    std::memset(data, 0xEE, bytes);
    locked = RG7LockMasterBuffer(data, size) == 0;
  }
  ~PinnedBuffer() {
    if (locked) RG7UnlockMasterBuffer(data, size);
    std::free(raw);
  }
  PinnedBuffer(const PinnedBuffer&) = delete;
  PinnedBuffer& operator=(const PinnedBuffer&) = delete;
  std::uint8_t* raw;
  std::uint8_t* data;
  std::uint32_t size;
  bool locked;
};

}  // namespace rg7_testing
