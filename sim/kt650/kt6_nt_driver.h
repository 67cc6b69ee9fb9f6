// KT6DRIVE, the Windows NT kernel driver of the 650-series boards, as the virtual
// PC provides it ("\\.\KT6DRIVE", opened with read and write access and
// OPEN_EXISTING). Buffered control codes 0x80001C00-0x80001C34 on its handle:
// - map (0x80001C00) fills the 1794-byte information record: the bus count, the
//   frame-buffer base register of the board it drives (flag bits included), the
//   32-bit linear addresses of that board's register window and frame buffer, and
//   the 32-entry PCI table of the machine's functions in bus and device order;
//   unmap (0x80001C04) lets the mapping go. The board it drives is the first
//   650-series board of the table; it hooks that board's interrupt line.
// - configuration reads and writes through the machine's PCI bus; a bus or device
//   with no function fails with ERROR_DEV_NOT_EXIST.
// - the interrupt registration {0, event, thread}: the event is set per interrupt
//   that the enabled sources let through; zero handles remove it.
// - enabled sources, the latched status and the end of interrupt as the VxD's.
// - page lists of ranges that are locked (VirtualLock) or device memory, in the
//   VxD's layout, at most 511 runs; a range of more is refused whole.
// - the serial-bus section between its begin and end, exclusive among threads.
// - its version (a u16; tests may change it).
// Every request is logged and any may be made to fail (DriverBase).
#pragma once

#include <optional>

#include "sim/kt650/kt6_driver_base.h"

namespace sim {

namespace kt6nt {
constexpr const char* kDeviceName = "KT6DRIVE";
constexpr DWORD kMap = 0x80001C00;
constexpr DWORD kUnmap = 0x80001C04;
constexpr DWORD kReadConfig = 0x80001C08;
constexpr DWORD kWriteConfig = 0x80001C0C;
constexpr DWORD kRegisterIrq = 0x80001C10;
constexpr DWORD kSetSources = 0x80001C14;
constexpr DWORD kReadStatus = 0x80001C18;
constexpr DWORD kEndOfInterrupt = 0x80001C1C;
constexpr DWORD kPageList = 0x80001C20;
constexpr DWORD kSerialBusBegin = 0x80001C2C;
constexpr DWORD kSerialBusEnd = 0x80001C30;
constexpr DWORD kVersion = 0x80001C34;
constexpr std::uint16_t kDefaultVersion = 0x0201;

// The information record of the map control.
constexpr std::size_t kMapInfoSize = 1794;
constexpr std::size_t kBusCountOffset = 0x000;
constexpr std::size_t kFrameBufferBaseOffset = 0x020;
constexpr std::size_t kRegistersLinearOffset = 0x50C;
constexpr std::size_t kFrameBufferLinearOffset = 0x514;
constexpr std::size_t kPciTableOffset = 0x598;
constexpr std::size_t kPciTableEntries = 32;
// An entry: u16 vendor, u16 device id, u16 bus, u8 device number, u8 function.
constexpr std::size_t kPciEntrySize = 8;
constexpr std::size_t kPciEntryVendor = 0;
constexpr std::size_t kPciEntryDeviceId = 2;
constexpr std::size_t kPciEntryBus = 4;
constexpr std::size_t kPciEntryDeviceNumber = 6;

// The page list: as the VxD's (count at byte 14, {u32 physical, u32 length} from
// byte 16), with room left for the end entry.
constexpr DWORD kPageListBytes = kt6pagelist::kBytes;
constexpr std::size_t kPageListMaxRuns = kt6pagelist::kEntries - 1;
}  // namespace kt6nt

#pragma pack(push, 1)

// The configuration request, in and (for a read, the value at offset 8) out.
struct Kt6PciConfigRequest {
  std::uint32_t bus;
  std::uint32_t device;
  std::uint32_t value;
  std::uint32_t offset;
  std::uint32_t size;  // 1, 2 or 4
};
static_assert(sizeof(Kt6PciConfigRequest) == 20);

// The interrupt registration; handles travel as 32 bits.
struct Kt6IrqRegistrationNT {
  std::uint32_t reserved;
  std::uint32_t event;
  std::uint32_t thread;
};
static_assert(sizeof(Kt6IrqRegistrationNT) == 12);

#pragma pack(pop)

class PLATFORM_EXPORT Kt6NtDriver : public Kt6DriverBase {
 public:
  explicit Kt6NtDriver(Machine& machine) : Kt6DriverBase(machine, kt6nt::kDefaultVersion) {}

  // Latches the sources the enabled ones let through of an interrupt on the hooked
  // line and sets the registered event.
  void ServiceInterrupt(std::uint8_t irqLine, const Kt650Interrupt& interrupt) override;
  bool EventRegisteredFor(std::uint8_t irqLine) const override;

  DWORD Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flags) override;

  // Test controls and view (the version, the section and the enabled sources: the
  // base's).
  // The bus count the map control reports instead of the machine's.
  void SetBusCount(std::optional<std::uint32_t> count);
  // Mapped by the map control and not unmapped since.
  bool Mapped() const;
  // The event registered, or 0.
  std::uint32_t RegisteredEvent() const;
  // The configuration requests received, reads and writes, as they came (the
  // latest kLogLimit).
  std::vector<Kt6PciConfigRequest> ConfigRequests() const;
  void ClearConfigRequests();

 private:
  DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;
  DWORD Map(void* out, DWORD outSize, DWORD* returned);
  DWORD Unmap();
  DWORD ReadConfig(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD WriteConfig(const void* in, DWORD inSize);
  DWORD RegisterIrq(const void* in, DWORD inSize);
  DWORD PageList(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);

  void LogConfig(const Kt6PciConfigRequest& request);

  std::optional<std::uint32_t> bus_count_;
  std::vector<Kt6PciConfigRequest> config_requests_;
  bool mapped_ = false;
  // The registered event (0: none) and the interrupt line hooked for it.
  std::uint32_t event_ = 0;
  std::uint8_t hooked_line_ = 0;
};

}  // namespace sim
