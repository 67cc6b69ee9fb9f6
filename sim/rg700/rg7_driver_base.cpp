#include "sim/rg700/rg7_driver_base.h"

#include <chrono>

#include "sim/bounded_log.h"

namespace sim {

void Rg7DriverBase::Close() {
  std::lock_guard lock(mutex_);
  if (opens_ > 0) --opens_;
}

bool Rg7DriverBase::IsOpen() const {
  std::lock_guard lock(mutex_);
  return opens_ > 0;
}

DWORD Rg7DriverBase::IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  std::shared_lock plug(plug_);
  DWORD result = ERROR_SUCCESS;
  bool injected = false;
  bool plugged = false;
  {
    std::lock_guard lock(mutex_);
    plugged = machine_ != nullptr;
    auto it = failures_.find(code);
    if (it != failures_.end() && it->second.first > 0) {
      --it->second.first;
      result = it->second.second;
      injected = true;
    }
  }
  if (!injected) result = plugged ? Serve(code, in, inSize, out, outSize, returned) : ERROR_IO_DEVICE;
  std::lock_guard lock(mutex_);
  AppendBounded(requests_, DriverRequest{code, inSize, outSize, result});
  return result;
}

void Rg7DriverBase::ServedLocked() {
  served_ = read_mark_;
  served_changed_.notify_all();
}

bool Rg7DriverBase::WaitUntilServed(std::uint32_t timeoutMs) {
  std::unique_lock lock(mutex_);
  return served_changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return served_ >= delivered_; });
}

void Rg7DriverBase::Unplug() {
  std::unique_lock plug(plug_);
  {
    std::lock_guard lock(mutex_);
    machine_ = nullptr;
  }
  Unplugged();
}

void Rg7DriverBase::FailRequest(DWORD code, int count, DWORD error) {
  std::lock_guard lock(mutex_);
  failures_[code] = {count, error};
}

std::vector<DriverRequest> Rg7DriverBase::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t Rg7DriverBase::CountRequests(DWORD code) const {
  std::lock_guard lock(mutex_);
  std::size_t n = 0;
  for (const auto& r : requests_) n += r.code == code;
  return n;
}

void Rg7DriverBase::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

}  // namespace sim
