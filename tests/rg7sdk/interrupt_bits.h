// The interrupt bits the tests enable and look for, in the groups they use them:
// as a caller passes them to the library, and as the virtual board's status and
// mask registers hold them. The tests keep the two apart, so that a library that
// misreads the board shows.
#pragma once

#include <cstdint>

#include "rg7sdk/rg7sdk.h"
#include "sim/rg700/rg700_registers.h"

namespace rg7_testing {

constexpr std::uint32_t kDmaDone = RG7_IRQ_DMA_DONE_0 | RG7_IRQ_DMA_DONE_1;
constexpr std::uint32_t kFields = RG7_IRQ_ODD_FIELD | RG7_IRQ_EVEN_FIELD;
constexpr std::uint32_t kDmaDoneAndFields = kDmaDone | kFields;
constexpr std::uint32_t kEventAndTrigger = RG7_IRQ_EVENT | RG7_IRQ_TRIGGER;

constexpr std::uint32_t kBoardDmaDone = sim::rg700::kDma1Done | sim::rg700::kDma2Done;
constexpr std::uint32_t kBoardDmaDoneAndFields = kBoardDmaDone | sim::rg700::kOddField | sim::rg700::kEvenField;

}  // namespace rg7_testing
