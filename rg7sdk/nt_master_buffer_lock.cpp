// Pinning a master-mode buffer on Windows NT: the working set grows by the buffer
// (and two pages of slack) so that the pages can be locked into it.
#include "platform/virtual_memory.h"
#include "rg7sdk/driver_link.h"
#include "rg7sdk/rg7sdk.h"

namespace {

SIZE_T Growth(std::uint32_t size) { return (SIZE_T{size >> 12} + 2) * 4096; }

bool ChangeWorkingSet(SIZE_T delta, bool grow) {
  SIZE_T minimum = 0, maximum = 0;
  if (!GetProcessWorkingSetSize(GetCurrentProcess(), &minimum, &maximum)) return false;
  if (grow) {
    minimum += delta;
    maximum += delta;
  } else {
    minimum = minimum > delta ? minimum - delta : 0;
    maximum = maximum > delta ? maximum - delta : 0;
  }
  return SetProcessWorkingSetSize(GetCurrentProcess(), minimum, maximum) != FALSE;
}

}  // namespace

namespace rg7 {

std::int32_t DrvPinBuffer(void* address, std::uint32_t size) {
  if (!ChangeWorkingSet(Growth(size), true)) return RG7_ERR_DRIVER;
  if (VirtualLock(address, size)) return 0;
  ChangeWorkingSet(Growth(size), false);
  return RG7_ERR_DRIVER;
}

std::int32_t DrvUnpinBuffer(void* address, std::uint32_t size) {
  ChangeWorkingSet(Growth(size), false);
  return VirtualUnlock(address, size) ? 0 : RG7_ERR_DRIVER;
}

}  // namespace rg7
