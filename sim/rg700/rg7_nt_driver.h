// RG7DRIVE, the Windows NT kernel driver of the RG-700 boards, as the virtual PC
// provides it. It answers the requests the 700-series library sends; every request
// is logged, and tests can make requests fail or falsify the board table.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <vector>

#include "platform/device_namespace.h"

namespace sim {

class Machine;

namespace rg7nt {
constexpr DWORD kOpen = 0x80001C00;
constexpr DWORD kClose = 0x80001C04;
constexpr DWORD kReadConfig = 0x80001C08;
constexpr DWORD kWriteConfig = 0x80001C0C;
constexpr DWORD kRegisterIrqEvents = 0x80001C10;
constexpr DWORD kSetIrqMask = 0x80001C14;
constexpr DWORD kReadIrqStatus = 0x80001C18;
constexpr DWORD kInterruptProcessed = 0x80001C1C;
constexpr DWORD kLockPages = 0x80001C20;

constexpr std::size_t kInfoTableSize = 1420;
constexpr std::size_t kMaxBoards = 3;
constexpr std::size_t kBridgeEntriesOffset = 0x360;
constexpr std::size_t kMaxBridges = (kInfoTableSize - kBridgeEntriesOffset) / 8;
constexpr std::size_t kPageListSize = 32784;
constexpr std::size_t kPageListCapacity = 4096;
constexpr DWORD kErrorMorePending = 170;  // ERROR_BUSY: the end of an interrupt while more is latched
}  // namespace rg7nt

struct DriverRequest {
  DWORD code;
  DWORD in_size;
  DWORD out_size;
  DWORD result;  // ERROR_SUCCESS or the error reported
};

class PLATFORM_EXPORT Rg7NtDriver : public platform::DeviceDriver {
 public:
  explicit Rg7NtDriver(Machine& machine) : machine_(&machine) {}

  // The service routine of board `slot`'s interrupt: latches the bits and signals
  // the slot's registered events.
  void ServiceInterrupt(std::size_t slot, std::uint32_t bits);
  // Waits until every interrupt delivered so far has been read and acknowledged as
  // processed; false on time-out.
  bool WaitUntilServed(std::uint32_t timeoutMs = 2000);
  std::uint32_t Latched(std::size_t slot) const;
  bool EventsRegistered(std::size_t slot) const;
  std::uint32_t RegisteredMask(std::size_t slot) const;
  // The machine is going away: every later request fails as if the device were gone.
  void Unplug();

  DWORD Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flags) override;
  void Close() override;
  DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;

  // Test controls.
  void FailRequest(DWORD code, int count, DWORD error = ERROR_GEN_FAILURE);
  // Report these counts in the board table instead of the true ones.
  void FalsifyTableCounts(std::optional<std::uint32_t> boards, std::optional<std::uint32_t> bridges);
  std::vector<DriverRequest> Requests() const;
  std::size_t CountRequests(DWORD code) const;
  void ClearRequests();
  bool IsOpen() const;

 private:
  DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD FillInfoTable(void* out, DWORD outSize, DWORD* returned);
  DWORD ConfigRead(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD ConfigWrite(const void* in, DWORD inSize);
  DWORD RegisterEvents(const void* in, DWORD inSize);
  DWORD ReadStatus(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD InterruptProcessed(const void* in, DWORD inSize);
  DWORD LockPages(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);

  struct Slot {
    std::uint32_t latched = 0;
    std::uint32_t mask = 0;
    std::vector<HANDLE> events;
  };

  Machine* machine_;
  // Held shared by every request, so that the machine cannot go while one runs.
  std::shared_mutex plug_;
  mutable std::mutex mutex_;
  int opens_ = 0;
  std::map<DWORD, std::pair<int, DWORD>> failures_;
  std::optional<std::uint32_t> false_boards_;
  std::optional<std::uint32_t> false_bridges_;
  std::vector<DriverRequest> requests_;
  Slot slots_[rg7nt::kMaxBoards];
  std::uint64_t delivered_ = 0;
  std::uint64_t read_mark_ = 0;
  std::uint64_t served_ = 0;
  std::condition_variable served_changed_;
};

}  // namespace sim
