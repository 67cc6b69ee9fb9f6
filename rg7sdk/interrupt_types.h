// Interrupt bits and callback types of the 700-series library.
#pragma once

#include <cstdint>

#include "rg7sdk/rg7sdk.h"

namespace rg7 {

using ::RG7InterruptCallback;
using InternalInterruptHandler = std::uint32_t (*)(std::uint32_t* status, std::uintptr_t context);

namespace irq {
constexpr std::uint32_t kDmaDone0 = RG7_IRQ_DMA_DONE_0;
constexpr std::uint32_t kDmaDone1 = RG7_IRQ_DMA_DONE_1;
constexpr std::uint32_t kDmaDone = kDmaDone0 | kDmaDone1;
constexpr std::uint32_t kOddField = RG7_IRQ_ODD_FIELD;
constexpr std::uint32_t kEvenField = RG7_IRQ_EVEN_FIELD;
constexpr std::uint32_t kFields = kOddField | kEvenField;
constexpr std::uint32_t kDecoder = RG7_IRQ_DECODER;
constexpr std::uint32_t kEvent = RG7_IRQ_EVENT;
constexpr std::uint32_t kTrigger = RG7_IRQ_TRIGGER;
constexpr std::uint32_t kHardwareMask = 0x7FFFFB;
// The owner value that stands for the library itself.
constexpr std::uintptr_t kLibraryOwner = RG7_SDK_OWNER;
}  // namespace irq

}  // namespace rg7
