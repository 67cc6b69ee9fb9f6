// The bridge's picture-control port, the hook of its three registers: an address
// register and two data registers through which the 256-entry output look-up table
// is loaded.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "platform/win_types.h"
#include "sim/register_table.h"

namespace sim {

class PLATFORM_EXPORT Rg700LutPort : public RegisterHook {
 public:
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;

  // Entry n as loaded: chroma byte << 8 | luma byte.
  std::uint16_t Entry(std::uint8_t n) const;

 private:
  mutable std::mutex mutex_;
  std::uint8_t address_ = 0;
  std::array<std::uint16_t, 256> entries_{};
};

}  // namespace sim
