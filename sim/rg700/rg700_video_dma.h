// The bridge's video DMA: two field buffers, each a start address and a pointer
// into a page table of 4 KB pages, programmed through registers 0-3, the line
// stride (register 12, dwords) and the control bits of registers 17 and 18.
//
// A load pulse (register 17 bit 0x10000000) takes the addresses, pointers and
// stride; from then on every field that the display mode passes (register 110 bits
// 3-4: 0 both, 1 even fields only, 2 odd fields only) is written while the video
// request (0x20000000) is set: odd fields to buffer 0, even fields to buffer 1.
// Without the pointer request (0x800000) a buffer is one physical run; with it the
// DMA takes the next page-table entry whenever it reaches a page boundary. A field
// is reported done (0x10 / 0x20) when the next field that it passes begins, or the
// next field at all once it has stopped. Setting "end after this frame" (register 18
// bit 0x08) stops it at the next field start; a FIFO flush (0x1000000) or a global
// reset (register 18 bit 0x20000) drops what it holds, and it needs a new load.
// Every byte goes through the simulated physical memory; a write to memory that
// nothing pinned is recorded as an error.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "sim/rg700/rg700_board.h"
#include "sim/rg700/rg700_capture_format.h"

namespace sim {

class PhysicalMemory;

// One field written by the DMA.
struct DmaTransfer {
  std::uint32_t field;
  int buffer;
  std::uint32_t start;  // physical address of its first byte
  std::uint32_t lines;
  std::uint32_t line_bytes;
};

class PLATFORM_EXPORT Rg700VideoDma : public Rg700RegisterHook {
 public:
  static constexpr std::uint32_t kControl = 17;
  static constexpr std::uint32_t kPciControl = 18;
  static constexpr std::uint32_t kStride = 12;
  static constexpr std::uint32_t kRequest = 0x20000000;
  static constexpr std::uint32_t kLoad = 0x10000000;
  static constexpr std::uint32_t kFifoFlush = 0x1000000;
  static constexpr std::uint32_t kPointerRequest = 0x800000;
  static constexpr std::uint32_t kEndAfterFrame = 0x08;
  static constexpr std::uint32_t kGlobalReset = 0x20000;
  static constexpr std::uint32_t kDone0 = 0x10;
  static constexpr std::uint32_t kDone1 = 0x20;
  static constexpr std::size_t kLogLimit = 4096;

  explicit Rg700VideoDma(Rg700Board& board) : board_(board) {}

  bool Handles(std::uint32_t index) const override;
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;

  void SetMemory(PhysicalMemory* memory);

  // Clock side. At a field's vertical sync: the done bits to raise with it.
  std::uint32_t FieldStart(bool odd, std::uint32_t displayMode);
  // At the start of its active lines: writes the field when the DMA takes it.
  void Capture(std::uint32_t field, bool odd, std::uint32_t displayMode);

  // Test side.
  bool loaded() const;
  std::vector<std::string> Errors() const;
  void ClearErrors();
  std::vector<DmaTransfer> Transfers() const;  // the latest ones, oldest first
  void ClearTransfers();

 private:
  struct Buffer {
    std::uint32_t address = 0;
    std::uint32_t pointer = 0;
  };
  static bool Passes(bool odd, std::uint32_t displayMode);
  void WaitIdleLocked(std::unique_lock<std::mutex>& lock);
  void ErrorLocked(std::string text);
  bool Write(const CaptureFormat& format, std::uint32_t field, int buffer, const Buffer& at, std::uint32_t stride,
             bool walk);

  Rg700Board& board_;
  PhysicalMemory* memory_ = nullptr;
  mutable std::mutex mutex_;
  std::condition_variable idle_;
  std::uint32_t shadow_[4] = {};  // registers 0-3 as written
  std::uint32_t stride_ = 0;
  std::uint32_t control_ = 0;
  std::uint32_t pci_ = 0;
  bool loaded_ = false;
  Buffer buffers_[2];
  std::uint32_t loaded_stride_ = 0;
  bool end_ = false;
  std::uint32_t pending_ = 0;
  bool busy_ = false;
  std::uint64_t generation_ = 0;
  std::vector<std::string> errors_;
  std::deque<DmaTransfer> transfers_;
};

}  // namespace sim
