// KT6VXD95, the Windows 95 VxD of the 650-series boards, as the virtual PC provides
// it. It is loaded dynamically (each open of "\\.\KT6VXD95.VXD" with create-new and
// delete-on-close is one load; DeleteFileA("\\.\KT6VXD95") one unload), maps a
// board's frame buffer and register window into the process, reports its version
// and keeps the serial-bus section that serialises the library's threads.
#pragma once

#include <condition_variable>
#include <thread>
#include <vector>

#include "sim/driver_base.h"

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

class PLATFORM_EXPORT Kt6W95Vxd : public DriverBase {
 public:
  explicit Kt6W95Vxd(Machine& machine) : DriverBase(machine) {}

  DWORD Open(DWORD access, DWORD shareMode, DWORD creation, DWORD flags) override;
  DWORD Unload() override;

  // Test controls and view.
  void SetVersion(std::uint16_t version);
  // Mapped by request 1000 and not yet unmapped by 1001.
  std::vector<Kt6MapRecord> Mappings() const;
  // A thread is between requests 1011 and 1012.
  bool SectionHeld() const;

 private:
  DWORD Serve(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;
  void Unplugging() override;
  DWORD MapMemory(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  DWORD UnmapMemory(const void* in, DWORD inSize);
  DWORD EnterSection();
  DWORD LeaveSection();
  DWORD Version(void* out, DWORD outSize, DWORD* returned);

  std::uint16_t version_ = kt6w95::kDefaultVersion;
  std::vector<Kt6MapRecord> mappings_;
  // The serial-bus section: its holder and how often it entered.
  std::thread::id section_owner_;
  int section_depth_ = 0;
  bool unplugging_ = false;
  std::condition_variable section_changed_;
};

}  // namespace sim
