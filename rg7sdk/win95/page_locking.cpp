// Pinning buffers and describing them by physical pages through the VxD. Its page
// list holds 512 entries: a buffer it cannot describe whole is refused (-112)
// rather than handed on as a short list that the DMA would run past.
#include "platform/last_error.h"
#include "rg7sdk/rg7sdk.h"
#include "rg7sdk/win95/vxd_link.h"

namespace rg7 {
namespace {

PageLockRequest Range(const void* address, std::uint32_t size) {
  return PageLockRequest{reinterpret_cast<std::uint64_t>(address), size, 0};
}

// Asks the VxD to pin the range and list its pages into `reply` (kPageListReplySize
// bytes). The range stays pinned when the list does not hold all of it.
std::int32_t PinAndList(const void* address, std::uint32_t size, void* reply) {
  PageLockRequest r = Range(address, size);
  if (VxdRequest(vxd::kLockPages, &r, sizeof r, reply, kPageListReplySize)) return 0;
  return GetLastError() == ERROR_MORE_DATA ? RG7_ERR_PAGE_TABLE : RG7_ERR_DRIVER;
}

}  // namespace

std::int32_t DrvPinBuffer(void* address, std::uint32_t size) {
  // Only the pinning counts here: a buffer too scattered to list is pinned all the same.
  std::uint8_t reply[kPageListReplySize];
  std::int32_t result = PinAndList(address, size, reply);
  return result == RG7_ERR_PAGE_TABLE ? 0 : result;
}

std::int32_t DrvUnpinBuffer(void* address, std::uint32_t size) {
  PageLockRequest r = Range(address, size);
  return VxdRequest(vxd::kUnlockPages, &r, sizeof r, nullptr, 0) ? 0 : RG7_ERR_DRIVER;
}

std::int32_t DrvLockPages(const void* address, std::uint32_t size, PhysicalPageList* list) {
  if (std::int32_t result = PinAndList(address, size, list)) return result;
  if (list->entry_count > kPageListReplyEntries) return RG7_ERR_PAGE_TABLE;
  std::uint64_t covered = 0;
  for (std::uint32_t i = 0; i < list->entry_count; ++i) covered += list->entries[i].length;
  return covered < size ? RG7_ERR_PAGE_TABLE : 0;
}

}  // namespace rg7
