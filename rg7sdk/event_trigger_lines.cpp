// The event and trigger inputs on general-purpose I/O register B.
#include "rg7sdk/board_records.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

constexpr std::uint32_t kGioB = 161;
constexpr std::uint32_t kEventPolarity = 0x04;    // set: polarity 0
constexpr std::uint32_t kTriggerPolarity = 0x10;  // set: polarity 0
constexpr std::int32_t kPolarityInverted = 256;

std::int32_t SetPolarity(std::int32_t polarity, std::uint32_t bit) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  if (polarity != 0 && polarity != kPolarityInverted) return RG7_ERR_PARAMETER;
  std::uint32_t r = IHW_GetRegister(kGioB);
  IHW_SetRegister(kGioB, polarity == 0 ? (r | bit) : (r & ~bit));
  return 0;
}

std::int32_t GetPolarity(std::uint32_t bit) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  return (IHW_GetRegister(kGioB) & bit) ? 0 : kPolarityInverted;
}

}  // namespace
}  // namespace rg7

using namespace rg7;

std::int32_t RG7SetEventPolarity(std::int32_t polarity) { return SetPolarity(polarity, kEventPolarity); }
std::int32_t RG7SetTriggerPolarity(std::int32_t polarity) { return SetPolarity(polarity, kTriggerPolarity); }
std::int32_t RG7GetEventPolarity() { return GetPolarity(kEventPolarity); }
std::int32_t RG7GetTriggerPolarity() { return GetPolarity(kTriggerPolarity); }
