#include "sim/kt650/kt650_bus_master.h"

#include <algorithm>
#include <cstring>

#include "sim/kt650/kt650_registers.h"

namespace sim {

using namespace kt650;

namespace {
constexpr std::uint32_t kRegisterBytes = 4;
constexpr std::uint32_t kPage = 4096;
}  // namespace

std::uint32_t Kt650BusMaster::OnWrite(std::uint32_t index, std::uint32_t, std::uint32_t written) {
  switch (index * kRegisterBytes) {
    case kBmDestination:
      destination_ = written;
      break;
    case kBmSource:
      source_ = written & ~kBmSourceFlags;
      break;
    case kBmLength:
      length_ = written + kBmLengthBias;
      break;
    case kBmStart:
      if (!(written & kBmGo) || fault_ != Kt650EngineFault::kNone) break;
      Move();
      return written & ~kBmGo;
    default:
      break;
  }
  return written;
}

// Page by page, since pinned pages are contiguous only within a page; what the
// engine cannot reach it does not move.
void Kt650BusMaster::Move() {
  if (!memory_ || destination_ >= display_.size()) return;
  std::uint32_t length = std::min(length_, display_.size() - destination_);
  std::uint8_t* to = display_.base() + destination_;
  for (std::uint32_t done = 0; done < length;) {
    std::uint32_t physical = source_ + done;
    std::uint32_t chunk = std::min(length - done, kPage - physical % kPage);
    if (const std::uint8_t* from = memory_->Translate(physical, chunk)) std::memcpy(to + done, from, chunk);
    done += chunk;
  }
}

}  // namespace sim
