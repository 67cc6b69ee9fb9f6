// Page-aligned host memory that the tests pin as the system would (VirtualLock),
// with the working-set quota raised for it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/virtual_memory.h"

namespace sim_test {

class PinnedBuffer {
 public:
  explicit PinnedBuffer(std::size_t pages, bool pin = true) : size(pages * 4096) {
    data = static_cast<std::uint8_t*>(std::aligned_alloc(4096, size));
    std::memset(data, 0xEE, size);
    SIZE_T mn, mx;
    GetProcessWorkingSetSize(GetCurrentProcess(), &mn, &mx);
    SetProcessWorkingSetSize(GetCurrentProcess(), mn + size, mx + size);
    if (pin) pinned_ = VirtualLock(data, size) != FALSE;
  }
  ~PinnedBuffer() {
    if (pinned_) VirtualUnlock(data, size);
    SIZE_T mn, mx;
    GetProcessWorkingSetSize(GetCurrentProcess(), &mn, &mx);
    SetProcessWorkingSetSize(GetCurrentProcess(), mn - size, mx - size);
    std::free(data);
  }
  PinnedBuffer(const PinnedBuffer&) = delete;
  PinnedBuffer& operator=(const PinnedBuffer&) = delete;

  std::uint8_t* data;
  std::size_t size;

 private:
  bool pinned_ = false;
};

}  // namespace sim_test
