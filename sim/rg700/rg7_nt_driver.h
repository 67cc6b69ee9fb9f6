// RG7DRIVE, the Windows NT kernel driver of the RG-700 boards, as the virtual PC
// provides it. It answers the requests the 700-series library sends; every request
// is logged, and tests can make requests fail or falsify the board table.
#pragma once

#include <optional>
#include <vector>

#include "sim/rg700/rg7_driver_base.h"

namespace sim {

namespace rg7nt {
constexpr const char* kDeviceName = "RG7DRIVE";
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
}  // namespace rg7nt

class PLATFORM_EXPORT Rg7NtDriver : public Rg7DriverBase {
 public:
  using Rg7DriverBase::Rg7DriverBase;

  // Board `slot`'s interrupt: latches the bits and signals the slot's registered events.
  void ServiceInterrupt(std::size_t slot, std::uint32_t bits) override;
  bool EventsRegistered(std::size_t slot) const override;
  std::uint32_t Latched(std::size_t slot) const;
  std::uint32_t RegisteredMask(std::size_t slot) const;

  DWORD Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flags) override;

  // Test control: report these counts in the board table instead of the true ones.
  void FalsifyTableCounts(std::optional<std::uint32_t> boards, std::optional<std::uint32_t> bridges);

 private:
  DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;
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

  std::optional<std::uint32_t> false_boards_;
  std::optional<std::uint32_t> false_bridges_;
  Slot slots_[rg7nt::kMaxBoards];
};

}  // namespace sim
