// KT6VXD95, the Windows 95 VxD of the 650-series boards, as the virtual PC provides
// it. It is loaded dynamically (each open of "\\.\KT6VXD95.VXD" with create-new and
// delete-on-close is one load; DeleteFileA("\\.\KT6VXD95") one unload), maps a
// board's frame buffer and register window into the process, reports its version,
// keeps the serial-bus section that serialises the library's threads, and reports
// the interrupts of the boards on the IRQ line registered by setting a ring-0 event.
// It pins host memory and lists the physical runs of a range, host memory or the
// display memory of any board.
#pragma once

#include <condition_variable>
#include <thread>
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

// The page list of request 1013: a 16-byte header (the run count at byte 14), then
// {u32 physical address, u32 length} entries, the runs ended by a zero-length entry
// where there is room for one.
constexpr DWORD kPageListBytes = 4112;
constexpr std::size_t kPageListHeaderSize = 16;
constexpr std::size_t kPageListCountOffset = 14;
constexpr std::size_t kPageListEntrySize = 8;
constexpr std::size_t kPageListEntries = (kPageListBytes - kPageListHeaderSize) / kPageListEntrySize;
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

// Requests 1013 and 1014: the range, its address widened to 64 bits.
struct Kt6PageRange {
  std::uint64_t linear;
  std::uint32_t length;
  std::uint32_t reserved;
};
static_assert(sizeof(Kt6PageRange) == 16);

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

// Requests 1005 (in: the enabled sources and what the VxD hands back unchanged) and
// 1006 (out: with the status latched, the field in bit 7 of `field` and the frame
// counter in the low byte of `line_control`).
struct Kt6IrqStatusRecord {
  std::uint16_t board_type;
  std::uint16_t enabled_sources;
  std::uint16_t status;
  std::uint8_t field;
  std::uint8_t reserved;
  std::uint16_t line_control;
  std::uint16_t passdown_int;
  std::uint8_t revision_code;
  std::uint8_t revision;
};
static_assert(sizeof(Kt6IrqStatusRecord) == 14);

#pragma pack(pop)

class PLATFORM_EXPORT Kt6W95Vxd : public Kt6DriverBase {
 public:
  explicit Kt6W95Vxd(Machine& machine) : Kt6DriverBase(machine) {}

  // Latches the enabled sources of an interrupt on the registered line and sets the
  // registered ring-0 event.
  void ServiceInterrupt(std::uint8_t irqLine, const Kt650Interrupt& interrupt) override;

  DWORD Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flags) override;
  DWORD Unload() override;

  // Test controls and view.
  void SetVersion(std::uint16_t version);
  // Mapped by request 1000 and not yet unmapped by 1001.
  std::vector<Kt6MapRecord> Mappings() const;
  // A thread is between requests 1011 and 1012.
  bool SectionHeld() const;
  // The ring-0 event registered by request 1004, or 0.
  DWORD Registered() const;
  // As request 1005 set them.
  std::uint16_t EnabledSources() const;
  // Page lists report this run count at byte 14, whatever they list (0: the true count).
  void SetReportedRunCount(std::uint16_t count);
  // Ranges that request 1013 pinned and 1014 has not unpinned yet.
  std::size_t PinnedRanges() const;

 private:
  DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;
  void Unplugging() override;
  void Unplugged() override;
  DWORD MapMemory(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD UnmapMemory(const void* in, DWORD inSize);
  DWORD EnterSection();
  DWORD LeaveSection();
  DWORD Version(void* out, DWORD outSize, DWORD* returned);
  DWORD RegisterIrq(const void* in, DWORD inSize);
  DWORD SetSources(const void* in, DWORD inSize);
  DWORD ReadStatus(void* out, DWORD outSize, DWORD* returned);
  DWORD EndOfInterrupt();
  DWORD LockPages(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD ReleasePages(const void* in, DWORD inSize);

  std::uint16_t version_ = kt6w95::kDefaultVersion;
  std::vector<Kt6MapRecord> mappings_;
  // The serial-bus section: its holder and how often it entered.
  std::thread::id section_owner_;
  int section_depth_ = 0;
  bool unplugging_ = false;
  std::condition_variable section_changed_;
  // The interrupt: the line hooked and its event (0: none), the record of 1005, and
  // what the service routine latched since the last 1006.
  std::uint16_t irq_line_ = 0;
  DWORD ring0_event_ = 0;
  Kt6IrqStatusRecord sources_{};
  std::uint16_t latched_ = 0;
  bool field_ = false;
  std::uint8_t frame_counter_ = 0;
  std::uint16_t reported_run_count_ = 0;
  PagePins pins_;
};

}  // namespace sim
