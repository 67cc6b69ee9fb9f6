// KT6VXD95, the Windows 95 VxD of the 650-series boards, as the virtual PC provides
// it. It is loaded dynamically (each open of "\\.\KT6VXD95.VXD" with create-new and
// delete-on-close is one load; DeleteFileA("\\.\KT6VXD95") one unload), maps a
// board's frame buffer and register window into the process, reports its version,
// keeps the serial-bus section that serialises the library's threads, and reports
// the interrupts of the boards on the IRQ line registered by setting a ring-0 event.
// It pins host memory and lists the physical runs of a range, host memory or the
// display memory of any board.
#pragma once

#include <vector>

#include "sim/kt650/kt6_driver_base.h"
#include "sim/memory/page_pins.h"

namespace sim {

namespace kt6w95 {
constexpr const char* kDeviceName = "KT6VXD95.VXD";
constexpr DWORD kMapMemory = 1000;
constexpr DWORD kUnmapMemory = 1001;
constexpr DWORD kRegisterIrq = 1004;
constexpr DWORD kSetSources = 1005;
constexpr DWORD kReadStatus = 1006;
constexpr DWORD kEndOfInterrupt = 1007;
constexpr DWORD kSerialBusBegin = 1011;
constexpr DWORD kSerialBusEnd = 1012;
constexpr DWORD kLockPages = 1013;
constexpr DWORD kReleasePages = 1014;
constexpr DWORD kVersion = 1015;
constexpr std::uint16_t kDefaultVersion = 0x0201;

// The page list of request 1013 (kt6pagelist): a full list has no end entry.
constexpr DWORD kPageListBytes = kt6pagelist::kBytes;
constexpr std::size_t kPageListHeaderSize = kt6pagelist::kHeaderSize;
constexpr std::size_t kPageListCountOffset = kt6pagelist::kCountOffset;
constexpr std::size_t kPageListEntrySize = kt6pagelist::kEntrySize;
constexpr std::size_t kPageListEntries = kt6pagelist::kEntries;
}  // namespace kt6w95

// Requests 1000 (in and out) and 1001 (in): the physical windows and the linear
// addresses they got.
struct Kt6MapRecord {
  std::uint32_t frame_buffer_physical;
  std::uint32_t frame_buffer_linear;
  std::uint32_t frame_buffer_size;
  std::uint32_t registers_physical;
  std::uint32_t registers_linear;
  std::uint32_t registers_size;
  bool operator==(const Kt6MapRecord&) const = default;
};
static_assert(sizeof(Kt6MapRecord) == 24);

#pragma pack(push, 1)

// Request 1004: event and thread 0 remove the registration (the library clears the
// ring-0 event too); an event needs its ring-0 handle.
struct Kt6IrqRegistration {
  std::uint16_t irq_line;
  std::uint32_t event;
  std::uint32_t ring0_event;
  std::uint32_t thread;
  std::uint8_t reserved[6];
};
static_assert(sizeof(Kt6IrqRegistration) == 20);

#pragma pack(pop)

class PLATFORM_EXPORT Kt6W95Vxd : public Kt6DriverBase {
 public:
  explicit Kt6W95Vxd(Machine& machine) : Kt6DriverBase(machine, kt6w95::kDefaultVersion) {}

  // Latches the enabled sources of an interrupt on the registered line and sets the
  // registered ring-0 event.
  void ServiceInterrupt(std::uint8_t irqLine, const Kt650Interrupt& interrupt) override;
  bool EventRegisteredFor(std::uint8_t irqLine) const override;

  DWORD Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flags) override;
  DWORD Unload() override;

  // Test controls and view.
  // Mapped by request 1000 and not yet unmapped by 1001.
  std::vector<Kt6MapRecord> Mappings() const;
  // The ring-0 event registered by request 1004, or 0.
  DWORD Registered() const;
  // Page lists report this run count at byte 14, whatever they list (0: the true count).
  void SetReportedRunCount(std::uint16_t count);
  // Ranges that request 1013 pinned and 1014 has not unpinned yet.
  std::size_t PinnedRanges() const;

 private:
  DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;
  void Unplugged() override;
  DWORD MapMemory(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD UnmapMemory(const void* in, DWORD inSize);
  DWORD RegisterIrq(const void* in, DWORD inSize);
  DWORD LockPages(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD ReleasePages(const void* in, DWORD inSize);

  std::vector<Kt6MapRecord> mappings_;
  // The line hooked and its event (0: none).
  std::uint16_t irq_line_ = 0;
  DWORD ring0_event_ = 0;
  std::uint16_t reported_run_count_ = 0;
  PagePins pins_;
};

}  // namespace sim
