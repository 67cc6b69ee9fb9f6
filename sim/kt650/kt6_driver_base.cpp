#include "sim/kt650/kt6_driver_base.h"

#include <cstring>

namespace sim {
namespace {

// The status read: the field in bit 7 of its byte; the frame counter replaces the
// low byte of the line control word.
constexpr std::uint8_t kStatusByteField = 0x80;
constexpr std::uint16_t kLineControlHigh = 0xFF00;

}  // namespace

DWORD Kt6DriverBase::EnterSection() {
  std::unique_lock lock(mutex_);
  auto self = std::this_thread::get_id();
  section_changed_.wait(lock, [&] { return unplugging_ || section_depth_ == 0 || section_owner_ == self; });
  if (unplugging_) return ERROR_IO_DEVICE;
  section_owner_ = self;
  ++section_depth_;
  return ERROR_SUCCESS;
}

DWORD Kt6DriverBase::LeaveSection() {
  std::lock_guard lock(mutex_);
  if (section_depth_ == 0 || section_owner_ != std::this_thread::get_id()) return ERROR_NOT_OWNER;
  if (--section_depth_ == 0) {
    section_owner_ = std::thread::id();
    section_changed_.notify_all();
  }
  return ERROR_SUCCESS;
}

void Kt6DriverBase::Unplugging() {
  std::lock_guard lock(mutex_);
  unplugging_ = true;
  section_depth_ = 0;
  section_owner_ = std::thread::id();
  section_changed_.notify_all();
}

bool Kt6DriverBase::SectionHeld() const {
  std::lock_guard lock(mutex_);
  return section_depth_ > 0;
}

DWORD Kt6DriverBase::Version(void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < sizeof(std::uint16_t)) return ERROR_INVALID_PARAMETER;
  std::uint16_t version;
  {
    std::lock_guard lock(mutex_);
    version = version_;
  }
  std::memcpy(out, &version, sizeof version);
  if (returned) *returned = sizeof version;
  return ERROR_SUCCESS;
}

void Kt6DriverBase::SetVersion(std::uint16_t version) {
  std::lock_guard lock(mutex_);
  version_ = version;
}

DWORD Kt6DriverBase::SetSources(const void* in, DWORD inSize) {
  Kt6IrqStatusRecord r;
  if (!in || inSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  std::lock_guard lock(mutex_);
  sources_ = r;
  return ERROR_SUCCESS;
}

std::uint16_t Kt6DriverBase::EnabledSources() const {
  std::lock_guard lock(mutex_);
  return sources_.enabled_sources;
}

DWORD Kt6DriverBase::ReadStatus(void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < sizeof(Kt6IrqStatusRecord)) return ERROR_INVALID_PARAMETER;
  Kt6IrqStatusRecord r;
  {
    std::lock_guard lock(mutex_);
    r = sources_;
    r.status = latched_;
    r.field = field_ ? kStatusByteField : 0;
    r.line_control = static_cast<std::uint16_t>((r.line_control & kLineControlHigh) | frame_counter_);
    // The sources read are in service now; what comes later latches anew.
    latched_ = 0;
    StatusReadLocked();
  }
  std::memcpy(out, &r, sizeof r);
  if (returned) *returned = sizeof r;
  return ERROR_SUCCESS;
}

DWORD Kt6DriverBase::EndOfInterrupt() {
  std::lock_guard lock(mutex_);
  // Refused while more is latched: the caller reads the status again first.
  if (latched_ != 0) return ERROR_MORE_DATA;
  ServedLocked();
  return ERROR_SUCCESS;
}

bool Kt6DriverBase::LatchLocked(const Kt650Interrupt& interrupt) {
  std::uint16_t bits = Kt6SourcesLetThrough(interrupt.sources, sources_.enabled_sources, sources_.line_control);
  if (bits == 0) return false;
  latched_ |= bits;
  field_ = interrupt.field;
  frame_counter_ = interrupt.frame_counter;
  DeliveredLocked();
  return true;
}

void Kt6DriverBase::DropPendingLocked() {
  latched_ = 0;
  StatusReadLocked();
  ServedLocked();
}

void Kt6DriverBase::WritePageList(const std::vector<PhysicalRun>& runs, std::uint16_t count, void* out) {
  auto* list = static_cast<std::uint8_t*>(out);
  std::memset(list, 0, kt6pagelist::kBytes);
  std::memcpy(list + kt6pagelist::kCountOffset, &count, sizeof count);
  for (std::size_t i = 0; i < runs.size() && i < kt6pagelist::kEntries; ++i) {
    std::uint8_t* e = list + kt6pagelist::kHeaderSize + i * kt6pagelist::kEntrySize;
    std::memcpy(e, &runs[i].address, sizeof runs[i].address);
    std::memcpy(e + sizeof runs[i].address, &runs[i].length, sizeof runs[i].length);
  }
}

}  // namespace sim
