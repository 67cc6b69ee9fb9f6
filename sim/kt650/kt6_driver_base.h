// What the two drivers of the 650-series boards (the Windows 95 VxD and the Windows
// NT kernel driver) share over the driver base: the service routine of the boards'
// interrupts with the status it latches, the requests that set the enabled
// sources, read the status and end an interrupt, the serial-bus section, the
// version, and the layout of the page lists they hand out. The requests differ in
// their codes only; each driver routes its own codes here.
#pragma once

#include <condition_variable>
#include <thread>
#include <vector>

#include "sim/driver_base.h"
#include "sim/kt650/kt650_board.h"
#include "sim/memory/physical_memory.h"

namespace sim {

// The sources a driver lets through of those the board raised: the enabled sources
// of the last request that set them, where a line source (0x0400-0x8000) also needs
// its bit (source >> 9) in the low byte of that request's line control word.
constexpr std::uint16_t kKt6LineEnableByte = 0x00FF;
inline std::uint16_t Kt6SourcesLetThrough(std::uint16_t raised, std::uint16_t enabled, std::uint16_t lineControl) {
  auto lines = static_cast<std::uint16_t>((lineControl & kKt6LineEnableByte) << kt650::kLineArmShift);
  return static_cast<std::uint16_t>(raised & enabled & (~kt650::kLineSources | lines));
}

// A page list: a 16-byte header (the run count at byte 14), then {u32 physical
// address, u32 length} entries, the runs ended by a zero-length entry where there
// is room for one.
namespace kt6pagelist {
constexpr DWORD kBytes = 4112;
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kCountOffset = 14;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kEntries = (kBytes - kHeaderSize) / kEntrySize;
}  // namespace kt6pagelist

#pragma pack(push, 1)

// The range of a page-list request: the caller's address is a full pointer here,
// so the record is widened from {u32 linear, u32 length} to 16 bytes.
struct Kt6PageRange {
  std::uint64_t linear;
  std::uint32_t length;
  std::uint32_t reserved;
};
static_assert(sizeof(Kt6PageRange) == 16);

// The set-sources request (in: the enabled sources and what the driver hands back
// unchanged) and the status read (out: with the status latched, the field in bit 7
// of `field` and the frame counter in the low byte of `line_control`).
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

class PLATFORM_EXPORT Kt6DriverBase : public DriverBase {
 public:
  Kt6DriverBase(Machine& machine, std::uint16_t version) : DriverBase(machine), version_(version) {}

  // The service routine of an interrupt on PCI interrupt line `irqLine`.
  virtual void ServiceInterrupt(std::uint8_t irqLine, const Kt650Interrupt& interrupt) = 0;
  // True when an event of the library's is registered for interrupts on `irqLine`.
  virtual bool EventRegisteredFor(std::uint8_t irqLine) const = 0;

  // Test controls and views.
  void SetVersion(std::uint16_t version);
  // A thread is inside the serial-bus section.
  bool SectionHeld() const;
  // As the set-sources request set them.
  std::uint16_t EnabledSources() const;

 protected:
  // The shared requests.
  DWORD EnterSection();
  DWORD LeaveSection();
  DWORD Version(void* out, DWORD outSize, DWORD* returned);
  DWORD SetSources(const void* in, DWORD inSize);
  DWORD ReadStatus(void* out, DWORD outSize, DWORD* returned);
  DWORD EndOfInterrupt();

  // With mutex_ held: latches the sources the enabled ones let through of
  // `interrupt`, with its field and frame counter; false when none got through.
  bool LatchLocked(const Kt650Interrupt& interrupt);
  // With mutex_ held: the registration went, and nobody is left to read what is
  // pending, so it counts as served.
  void DropPendingLocked();

  // Fills a kt6pagelist::kBytes list with `runs` (no more than kt6pagelist::kEntries),
  // reporting `count` runs.
  static void WritePageList(const std::vector<PhysicalRun>& runs, std::uint16_t count, void* out);

  // Waiters for the section fail, and the section is let go.
  void Unplugging() override;

 private:
  std::uint16_t version_;
  // The serial-bus section: its holder and how often it entered.
  std::thread::id section_owner_;
  int section_depth_ = 0;
  bool unplugging_ = false;
  std::condition_variable section_changed_;
  // The record of the last set-sources request, and what the service routine
  // latched since the last status read.
  Kt6IrqStatusRecord sources_{};
  std::uint16_t latched_ = 0;
  bool field_ = false;
  std::uint8_t frame_counter_ = 0;
};

}  // namespace sim
