#include "sim/driver_base.h"

#include <chrono>

#include "sim/bounded_log.h"

namespace sim {

void DriverBase::Close() {
  std::lock_guard lock(mutex_);
  if (opens_ > 0) --opens_;
}

bool DriverBase::IsOpen() const {
  std::lock_guard lock(mutex_);
  return opens_ > 0;
}

DWORD DriverBase::IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
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

void DriverBase::ServedLocked() {
  served_ = read_mark_;
  served_changed_.notify_all();
}

bool DriverBase::WaitUntilServed(std::uint32_t timeoutMs) {
  std::unique_lock lock(mutex_);
  return served_changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return served_ >= delivered_; });
}

void DriverBase::Unplug() {
  Unplugging();
  std::unique_lock plug(plug_);
  {
    std::lock_guard lock(mutex_);
    machine_ = nullptr;
  }
  Unplugged();
}

DWORD DriverBase::OpenAsVxd(DWORD creation, DWORD flags) {
  if (creation != CREATE_NEW || (flags & FILE_FLAG_DELETE_ON_CLOSE) == 0) return ERROR_FILE_NOT_FOUND;
  std::lock_guard lock(mutex_);
  OpenedLocked();
  ++loads_;
  return ERROR_SUCCESS;
}

DWORD DriverBase::OpenExisting(DWORD access, DWORD creation) {
  if (creation != OPEN_EXISTING || (access & (GENERIC_READ | GENERIC_WRITE)) == 0) return ERROR_ACCESS_DENIED;
  std::lock_guard lock(mutex_);
  OpenedLocked();
  return ERROR_SUCCESS;
}

DWORD DriverBase::UnloadVxd() {
  std::lock_guard lock(mutex_);
  ++unloads_;
  return ERROR_SUCCESS;
}

int DriverBase::LoadCount() const {
  std::lock_guard lock(mutex_);
  return loads_;
}

int DriverBase::UnloadCount() const {
  std::lock_guard lock(mutex_);
  return unloads_;
}

void DriverBase::FailRequest(DWORD code, int count, DWORD error) {
  std::lock_guard lock(mutex_);
  failures_[code] = {count, error};
}

std::vector<DriverRequest> DriverBase::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t DriverBase::CountRequests(DWORD code) const {
  std::lock_guard lock(mutex_);
  std::size_t n = 0;
  for (const auto& r : requests_) n += r.code == code;
  return n;
}

void DriverBase::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

}  // namespace sim
