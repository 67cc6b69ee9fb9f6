// What the two drivers of the RG-700 boards (the Windows NT kernel driver and the
// Windows 95 VxD) share: the request log and fault injection, the open count, the
// unplugging at power-off and the bookkeeping of served interrupts.
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

// The range of a page-list request (both drivers; the VxD's unpin too). The
// caller's buffer address is a full pointer here, so the record is widened from
// {u32 address, u32 size} to 16 bytes.
struct Rg7PageRange {
  std::uint64_t address;
  std::uint32_t size;
  std::uint32_t reserved;
};
static_assert(sizeof(Rg7PageRange) == 16);

class PLATFORM_EXPORT Rg7DriverBase : public platform::DeviceDriver {
 public:
  explicit Rg7DriverBase(Machine& machine) : machine_(&machine) {}

  // The service routine of board `board`'s interrupt.
  virtual void ServiceInterrupt(std::size_t board, std::uint32_t bits) = 0;
  // True when the driver signals an event of the library's for board `board`.
  virtual bool EventsRegistered(std::size_t board) const = 0;
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

 protected:
  // A request on a plugged driver that no injected failure took.
  virtual DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) = 0;
  // Called by Unplug once no request runs any more.
  virtual void Unplugged() {}
  Machine& machine() const { return *machine_; }
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
  std::map<DWORD, std::pair<int, DWORD>> failures_;
  std::vector<DriverRequest> requests_;
  std::uint64_t delivered_ = 0;
  std::uint64_t read_mark_ = 0;
  std::uint64_t served_ = 0;
  std::condition_variable served_changed_;
};

}  // namespace sim
