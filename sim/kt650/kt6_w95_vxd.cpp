#include "sim/kt650/kt6_w95_vxd.h"

#include <algorithm>
#include <cstring>

#include "sim/bounded_log.h"
#include "sim/machine.h"

namespace sim {
namespace {

// True when the window holds [physical, physical + size) whole.
bool Holds(const Kt650Window& w, std::uint32_t physical, std::uint32_t size) {
  return physical >= w.physical && std::uint64_t(physical) + size <= std::uint64_t(w.physical) + w.size;
}

std::uint32_t Linear(const Kt650Window& w, std::uint32_t physical) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(w.host)) + (physical - w.physical);
}

bool SameWindows(const Kt6MapRecord& a, const Kt6MapRecord& b) {
  return a.frame_buffer_physical == b.frame_buffer_physical && a.frame_buffer_size == b.frame_buffer_size &&
         a.registers_physical == b.registers_physical && a.registers_size == b.registers_size;
}

}  // namespace

DWORD Kt6W95Vxd::Open(DWORD, DWORD, DWORD creation, DWORD flags) { return OpenAsVxd(creation, flags); }

DWORD Kt6W95Vxd::Unload() { return UnloadVxd(); }

DWORD Kt6W95Vxd::Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  switch (code) {
    case kt6w95::kMapMemory:
      return MapMemory(in, inSize, out, outSize, returned);
    case kt6w95::kUnmapMemory:
      return UnmapMemory(in, inSize);
    case kt6w95::kSerialBusBegin:
      return EnterSection();
    case kt6w95::kSerialBusEnd:
      return LeaveSection();
    case kt6w95::kVersion:
      return Version(out, outSize, returned);
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

DWORD Kt6W95Vxd::MapMemory(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  Kt6MapRecord r;
  if (!in || inSize < sizeof r || !out || outSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  if (r.frame_buffer_size == 0 || r.registers_size == 0) return ERROR_INVALID_PARAMETER;
  Machine& m = machine();
  bool mapped = false;
  for (std::size_t i = 0; i < m.kt650_count() && !mapped; ++i) {
    Kt650Window frameBuffer = m.kt650(i).FrameBufferAperture();
    Kt650Window registers = m.kt650(i).RegisterWindow();
    if (Holds(frameBuffer, r.frame_buffer_physical, r.frame_buffer_size) &&
        Holds(registers, r.registers_physical, r.registers_size)) {
      r.frame_buffer_linear = Linear(frameBuffer, r.frame_buffer_physical);
      r.registers_linear = Linear(registers, r.registers_physical);
      mapped = true;
    }
  }
  if (!mapped) return ERROR_INVALID_PARAMETER;
  {
    std::lock_guard lock(mutex_);
    AppendBounded(mappings_, r);
  }
  std::memcpy(out, &r, sizeof r);
  if (returned) *returned = sizeof r;
  return ERROR_SUCCESS;
}

DWORD Kt6W95Vxd::UnmapMemory(const void* in, DWORD inSize) {
  Kt6MapRecord r;
  if (!in || inSize < sizeof r) return ERROR_INVALID_PARAMETER;
  std::memcpy(&r, in, sizeof r);
  std::lock_guard lock(mutex_);
  // The library sends it at detach whether or not it mapped anything.
  auto it = std::find_if(mappings_.begin(), mappings_.end(), [&](const Kt6MapRecord& m) { return SameWindows(m, r); });
  if (it != mappings_.end()) mappings_.erase(it);
  return ERROR_SUCCESS;
}

DWORD Kt6W95Vxd::EnterSection() {
  std::unique_lock lock(mutex_);
  auto self = std::this_thread::get_id();
  section_changed_.wait(lock, [&] { return unplugging_ || section_depth_ == 0 || section_owner_ == self; });
  if (unplugging_) return ERROR_IO_DEVICE;
  section_owner_ = self;
  ++section_depth_;
  return ERROR_SUCCESS;
}

DWORD Kt6W95Vxd::LeaveSection() {
  std::lock_guard lock(mutex_);
  if (section_depth_ == 0 || section_owner_ != std::this_thread::get_id()) return ERROR_NOT_OWNER;
  if (--section_depth_ == 0) {
    section_owner_ = std::thread::id();
    section_changed_.notify_all();
  }
  return ERROR_SUCCESS;
}

void Kt6W95Vxd::Unplugging() {
  std::lock_guard lock(mutex_);
  unplugging_ = true;
  section_changed_.notify_all();
}

DWORD Kt6W95Vxd::Version(void* out, DWORD outSize, DWORD* returned) {
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

void Kt6W95Vxd::SetVersion(std::uint16_t version) {
  std::lock_guard lock(mutex_);
  version_ = version;
}

std::vector<Kt6MapRecord> Kt6W95Vxd::Mappings() const {
  std::lock_guard lock(mutex_);
  return mappings_;
}

bool Kt6W95Vxd::SectionHeld() const {
  std::lock_guard lock(mutex_);
  return section_depth_ > 0;
}

}  // namespace sim
