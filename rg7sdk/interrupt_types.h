// Interrupt bits and callback types of the 700-series library.
#pragma once

#include <cstdint>

#include "rg7sdk/rg7sdk.h"

namespace rg7 {

using ::RG7InterruptCallback;
using InternalInterruptHandler = std::uint32_t (*)(std::uint32_t* status, std::uintptr_t context);

namespace irq {
constexpr std::uint32_t kDmaDone0 = 0x10;
constexpr std::uint32_t kDmaDone1 = 0x20;
constexpr std::uint32_t kDmaDone = 0x30;
constexpr std::uint32_t kOddField = 0x200;
constexpr std::uint32_t kEvenField = 0x400;
constexpr std::uint32_t kFields = 0x600;
constexpr std::uint32_t kDecoder = 0x800;
constexpr std::uint32_t kEvent = 0x1000000;
constexpr std::uint32_t kTrigger = 0x2000000;
constexpr std::uint32_t kHardwareMask = 0x7FFFFB;
// The owner value that stands for the library itself.
constexpr std::uintptr_t kLibraryOwner = 31260;
}  // namespace irq

}  // namespace rg7
