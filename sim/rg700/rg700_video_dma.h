// The bridge's video DMA, the hook of its address, stride and control registers
// (rg700_registers.h): two field buffers, each a start address and a pointer into a
// page table of 4 KB pages, and the line stride in dwords.
//
// A load pulse takes the addresses, pointers and stride; from then on every field
// that the output configuration's display mode passes (both, even only, odd only)
// is written while the video request is set: odd fields to buffer 0, even fields to
// buffer 1. Without the pointer request a buffer is one physical run; with it the
// DMA takes the next page-table entry whenever it reaches a page boundary. A field
// is reported done (DMA 1 or 2 done) when the next field that it passes begins, or
// the next field at all once it has stopped. Setting "end after this frame" stops
// it at the next field start; a FIFO flush or a global reset drops what it holds,
// and it needs a new load. Every byte goes through the simulated physical memory; a
// write to memory that nothing pinned is recorded as an error.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "sim/register_table.h"
#include "sim/rg700/rg700_capture_format.h"

namespace sim {

class PhysicalMemory;
class Rg700Board;

// One field written by the DMA.
struct DmaTransfer {
  std::uint32_t field;
  int buffer;
  std::uint32_t start;  // physical address of its first byte
  std::uint32_t lines;
  std::uint32_t line_bytes;
};

class PLATFORM_EXPORT Rg700VideoDma : public RegisterHook {
 public:
  static constexpr std::size_t kLogLimit = 4096;

  explicit Rg700VideoDma(Rg700Board& board) : board_(board) {}

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
  std::uint32_t shadow_[4] = {};  // the addresses and pointers as written
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
