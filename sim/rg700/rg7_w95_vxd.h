// RG700W95, the Windows 95 VxD of the RG-700 boards, as the virtual PC provides it.
// It is loaded dynamically (each open of "\\.\RG700W95.VXD" with create-new and
// delete-on-close is one load; DeleteFileA("\\.\RG700W95") one unload), maps the
// board windows, pins caller buffers and reports the first board's interrupts by
// setting a ring-0 event.
#pragma once

#include <optional>

#include "sim/memory/page_pins.h"
#include "sim/rg700/rg7_driver_base.h"

namespace sim {

namespace rg7w95 {
constexpr const char* kDeviceName = "RG700W95.VXD";
constexpr DWORD kMapMemory = 1000;
constexpr DWORD kUnmapMemory = 1001;
constexpr DWORD kRegisterIrqEvent = 1004;
constexpr DWORD kSetIrqMask = 1005;
constexpr DWORD kReadIrqStatus = 1006;
constexpr DWORD kEndOfInterrupt = 1007;
constexpr DWORD kLockPages = 1013;
constexpr DWORD kUnlockPages = 1014;

// The one board whose interrupt the VxD hooks.
constexpr std::size_t kInterruptBoard = 0;
// The page list of request 1013: a 16-byte header (12 reserved bytes, u16 maximum
// entries, u16 entry count), then {u32 physical address, u32 length} entries.
constexpr std::size_t kPageListHeaderSize = 16;
constexpr std::size_t kPageListEntrySize = 8;
constexpr std::size_t kPageListMaxEntriesOffset = 12;
constexpr std::size_t kPageListCountOffset = 14;
}  // namespace rg7w95

// Request 1000 in and out: a physical range and the linear address it got.
struct Rg7MapRecord {
  std::uint32_t physical;
  std::uint32_t linear;
  std::uint32_t length;
};
static_assert(sizeof(Rg7MapRecord) == 12);

// Request 1004: a non-zero ring-0 event registers it, zero unregisters.
struct Rg7IrqRegistration {
  std::uint16_t line;
  std::uint16_t slot;
  std::uint32_t win32_event;
  std::uint32_t ring0_event;
  std::uint32_t thread;
  std::uint8_t reserved[8];
  std::uint32_t enabled_mask;
  std::uint32_t registered;
};
static_assert(sizeof(Rg7IrqRegistration) == 32);

// Requests 1005 (in) and 1006 (out): the status or mask is the second dword.
struct Rg7IrqStatusRecord {
  std::uint32_t reserved;
  std::uint32_t status;
};
static_assert(sizeof(Rg7IrqStatusRecord) == 8);

class PLATFORM_EXPORT Rg7W95Vxd : public Rg7DriverBase {
 public:
  using Rg7DriverBase::Rg7DriverBase;

  // Latches the first board's interrupts and sets the registered ring-0 event; the
  // VxD hooks no other board's interrupt.
  void ServiceInterrupt(std::size_t board, std::uint32_t bits) override;
  bool EventsRegistered(std::size_t board) const override;

  DWORD Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flags) override;
  DWORD Unload() override;

  // Test view.
  std::uint32_t Latched() const;
  std::uint32_t Mask() const;
  // The last record of request 1004, if any came.
  std::optional<Rg7IrqRegistration> Registration() const;
  // Ranges that request 1013 pinned and 1014 has not unpinned yet.
  std::size_t PinnedRanges() const;

 private:
  DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;
  void Unplugged() override;
  DWORD MapMemory(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD RegisterEvent(const void* in, DWORD inSize);
  DWORD SetMask(const void* in, DWORD inSize);
  DWORD ReadStatus(void* out, DWORD outSize, DWORD* returned);
  DWORD EndOfInterrupt();
  DWORD LockPages(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD UnlockPages(const void* in, DWORD inSize);

  std::uint32_t latched_ = 0;
  std::uint32_t mask_ = 0;
  DWORD ring0_event_ = 0;
  std::optional<Rg7IrqRegistration> registration_;
  PagePins pins_;
};

}  // namespace sim
