#include "sim/rg700/rg700_video_dma.h"

#include <cstdio>
#include <cstring>

#include "sim/memory/physical_memory.h"
#include "sim/rg700/rg700_registers.h"

namespace sim {

using namespace rg700;

namespace {

constexpr std::uint32_t kPage = 4096;
constexpr std::size_t kErrorLimit = 64;

std::string Hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

}  // namespace

void Rg700VideoDma::SetMemory(PhysicalMemory* memory) {
  std::lock_guard lock(mutex_);
  memory_ = memory;
}

void Rg700VideoDma::WaitIdleLocked(std::unique_lock<std::mutex>& lock) {
  idle_.wait(lock, [&] { return !busy_; });
}

std::uint32_t Rg700VideoDma::OnWrite(std::uint32_t index, std::uint32_t, std::uint32_t written) {
  std::unique_lock lock(mutex_);
  if (index >= kVideoAddress1 && index <= kVideoPointer2) {
    shadow_[index - kVideoAddress1] = written;
  } else if (index == kVideoStride) {
    stride_ = written;
  } else if (index == kDmaControl) {
    std::uint32_t rising = written & ~control_, falling = control_ & ~written;
    // A stop returns only once no field is being written.
    if ((rising & kVideoFifoFlush) || (falling & kVideoRequest)) WaitIdleLocked(lock);
    if (rising & kVideoFifoFlush) {
      loaded_ = end_ = false;
      pending_ = 0;
      ++generation_;
    }
    if (rising & kVideoLoad) {
      buffers_[0] = Buffer{shadow_[kVideoAddress1], shadow_[kVideoPointer1]};
      buffers_[1] = Buffer{shadow_[kVideoAddress2], shadow_[kVideoPointer2]};
      loaded_stride_ = (stride_ & kVideoStrideMask) * 4;
      loaded_ = true;
      end_ = false;
      ++generation_;
    }
    control_ = written;
  } else {
    std::uint32_t rising = written & ~pci_;
    if (rising & kEndAfterFrame) end_ = true;
    if (rising & kGlobalReset) {
      WaitIdleLocked(lock);
      loaded_ = end_ = false;
      pending_ = 0;
      ++generation_;
    }
    pci_ = written;
  }
  return written;
}

bool Rg700VideoDma::Passes(bool odd, std::uint32_t displayMode) {
  if (displayMode == kDisplayEvenFields) return !odd;
  if (displayMode == kDisplayOddFields) return odd;
  return true;
}

std::uint32_t Rg700VideoDma::FieldStart(bool odd, std::uint32_t displayMode) {
  std::lock_guard lock(mutex_);
  bool running = loaded_ && (control_ & kVideoRequest);
  if (!pending_ || (running && !Passes(odd, displayMode))) return 0;
  std::uint32_t done = pending_;
  pending_ = 0;
  return done;
}

void Rg700VideoDma::Capture(std::uint32_t field, bool odd, std::uint32_t displayMode) {
  CaptureFormat format = CaptureFormatOf(board_);
  int buffer = odd ? 0 : 1;
  Buffer at;
  std::uint32_t stride;
  bool walk;
  std::uint64_t generation;
  {
    std::lock_guard lock(mutex_);
    if (!loaded_ || !(control_ & kVideoRequest)) return;
    if (end_) {
      loaded_ = end_ = false;
      return;
    }
    if (!Passes(odd, displayMode)) return;
    at = buffers_[buffer];
    stride = loaded_stride_;
    walk = (control_ & kVideoPointerRequest) != 0;
    busy_ = true;
    generation = generation_;
  }
  bool ok = Write(format, field, buffer, at, stride, walk);
  {
    std::lock_guard lock(mutex_);
    busy_ = false;
    if (generation == generation_ && loaded_) pending_ |= buffer == 0 ? kDma1Done : kDma2Done;
    if (ok) {
      if (transfers_.size() >= kLogLimit) transfers_.pop_front();
      transfers_.push_back(
          DmaTransfer{field, buffer, at.address, static_cast<std::uint32_t>(format.out_lines()), format.line_bytes()});
    }
  }
  idle_.notify_all();
}

bool Rg700VideoDma::Write(const CaptureFormat& format, std::uint32_t field, int buffer, const Buffer& at,
                          std::uint32_t stride, bool walk) {
  std::string where = "video DMA, field " + std::to_string(field) + " buffer " + std::to_string(buffer);
  auto fail = [&](const std::string& why) {
    std::lock_guard lock(mutex_);
    ErrorLocked(where + ": " + why);
    return false;
  };
  if (format.pixel == CapturePixel::kNone) return fail("output format not modelled");
  int lines = format.out_lines();
  std::uint32_t bytes = format.line_bytes();
  if (lines <= 0 || bytes == 0) return true;
  if (stride < bytes)
    return fail("line stride " + std::to_string(stride) + " shorter than a line of " + std::to_string(bytes));
  PhysicalMemory* memory;
  {
    std::lock_guard lock(mutex_);
    memory = memory_;
  }
  if (!memory) return fail("no bus");

  // The address counter; at a page boundary the next page-table entry is fetched
  // before anything more is written.
  std::uint32_t current = at.address, pointer = at.pointer;
  bool fetch = false;
  auto advance = [&](const std::uint8_t* data, std::uint32_t n, int line) {
    while (n > 0) {
      if (fetch) {
        std::uint8_t* entry = memory->Translate(pointer, 4);
        if (!entry) return fail("page-table entry at " + Hex(pointer) + " is not in pinned memory");
        std::memcpy(&current, entry, 4);
        pointer += 4;
        fetch = false;
      }
      std::uint32_t room = kPage - (current & (kPage - 1));
      std::uint32_t chunk = n < room ? n : room;
      if (data) {
        std::uint8_t* host = memory->Translate(current, chunk);
        if (!host)
          return fail("line " + std::to_string(line) + " to " + Hex(current) + " (" + std::to_string(chunk) +
                      " bytes) is not in pinned memory");
        std::memcpy(host, data, chunk);
        data += chunk;
      }
      current += chunk;
      n -= chunk;
      if (walk && chunk == room) fetch = true;
    }
    return true;
  };
  std::vector<std::uint8_t> line(bytes);
  for (int i = 0; i < lines; ++i) {
    RenderCaptureLine(format, field, i, line.data());
    if (!advance(line.data(), bytes, i)) return false;
    if (i + 1 < lines && !advance(nullptr, stride - bytes, i)) return false;
  }
  return true;
}

void Rg700VideoDma::ErrorLocked(std::string text) {
  if (errors_.size() < kErrorLimit) errors_.push_back(std::move(text));
}

bool Rg700VideoDma::loaded() const {
  std::lock_guard lock(mutex_);
  return loaded_;
}

std::vector<std::string> Rg700VideoDma::Errors() const {
  std::lock_guard lock(mutex_);
  return errors_;
}

void Rg700VideoDma::ClearErrors() {
  std::lock_guard lock(mutex_);
  errors_.clear();
}

std::vector<DmaTransfer> Rg700VideoDma::Transfers() const {
  std::lock_guard lock(mutex_);
  return std::vector<DmaTransfer>(transfers_.begin(), transfers_.end());
}

void Rg700VideoDma::ClearTransfers() {
  std::lock_guard lock(mutex_);
  transfers_.clear();
}

}  // namespace sim
