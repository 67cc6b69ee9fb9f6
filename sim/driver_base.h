// What the virtual PC's drivers share: the request log and fault injection, the
// open count, the unplugging at power-off, the bookkeeping of served interrupts
// and the dynamic load of a Windows 95 VxD.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "platform/device_namespace.h"

namespace sim {

class Machine;

struct DriverRequest {
  DWORD code;
  DWORD in_size;
  DWORD out_size;
  DWORD result;  // ERROR_SUCCESS or the error reported
};

class PLATFORM_EXPORT DriverBase : public platform::DeviceDriver {
 public:
  explicit DriverBase(Machine& machine) : machine_(&machine) {}

  // Waits until every interrupt delivered so far has been read and acknowledged as
  // processed; false on time-out.
  bool WaitUntilServed(std::uint32_t timeoutMs = 2000);
  // The machine is going away: every later request fails as if the device were gone.
  void Unplug();

  void Close() override;
  DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) final;

  // Test controls.
  void FailRequest(DWORD code, int count, DWORD error = ERROR_GEN_FAILURE);
  std::vector<DriverRequest> Requests() const;
  std::size_t CountRequests(DWORD code) const;
  void ClearRequests();
  bool IsOpen() const;
  // Dynamic loads and unloads of a VxD (OpenAsVxd, UnloadVxd).
  int LoadCount() const;
  int UnloadCount() const;

 protected:
  // A request on a plugged driver that no injected failure took.
  virtual DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) = 0;
  // Called by Unplug before it waits for the requests that run to end: a request
  // blocked inside Serve must be woken here so that it returns.
  virtual void Unplugging() {}
  // Called by Unplug once no request runs any more.
  virtual void Unplugged() {}
  Machine& machine() const { return *machine_; }
  // A Windows 95 VxD opens only as a dynamic load: a new file that goes with its
  // last handle. Each such open is one load; anything else finds no file.
  DWORD OpenAsVxd(DWORD creation, DWORD flags);
  // DeleteFileA("\\.\NAME"): one unload.
  DWORD UnloadVxd();
  // A Windows NT kernel driver's device opens as an existing file with read or
  // write access.
  DWORD OpenExisting(DWORD access, DWORD creation);
  // With mutex_ held: counts an open handle; an interrupt was delivered; the status
  // was read; the end of the interrupt was acknowledged.
  void OpenedLocked() { ++opens_; }
  void DeliveredLocked() { ++delivered_; }
  void StatusReadLocked() { read_mark_ = delivered_; }
  void ServedLocked();

  mutable std::mutex mutex_;

 private:
  Machine* machine_;
  // Held shared by every request, so that the machine cannot go while one runs.
  std::shared_mutex plug_;
  int opens_ = 0;
  int loads_ = 0;
  int unloads_ = 0;
  std::map<DWORD, std::pair<int, DWORD>> failures_;
  std::vector<DriverRequest> requests_;
  std::uint64_t delivered_ = 0;
  std::uint64_t read_mark_ = 0;
  std::uint64_t served_ = 0;
  std::condition_variable served_changed_;
};

}  // namespace sim
