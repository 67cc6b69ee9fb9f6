// The video port of a 650-series board: at the end of each field of the camera on
// the selected input, at the vertical sync that begins the next field and before
// that sync is signalled, it writes the field into the board's display memory while
// capture runs (kt650_registers.h names its registers). So a vertical sync shows the
// field that begins, and the one that ended is in memory by then.
//
// Capture runs on types 0-2 while 0xFF00 bit 0 is set and 0xFF2C is not the freeze
// value; on types 3-5 while 0xFF00 bit 0 is set and the board-control device has
// capture on (register 7 bit 7 with register 19 bit 5). A set reset bit (0xFF00 bit
// 4) stops it; setting it, or clearing bit 0, abandons the field in progress and the
// single frame.
// A field is written when capture is on at its end. The port takes the field under
// way when capture goes on during it: the library switches capture on in the
// blanking just after a sync, before the field's picture lines (the model does not
// split a field). On types 0-2 a freeze before a field's end drops that field, so
// the buffer keeps the last whole field.
// Types 3-5 capture frames: a frame begins with a field of the parity register 7
// asked for when capture went on (bits 5-6: 0 field 0, 0x40 field 1, 0x20 either)
// and is two fields with bit 4, else one. A frame once begun is completed even when
// capture goes off during it, so a freeze leaves whole frames. Bit 3 asks for a
// single frame at the rising edge: the first frame to begin afterwards (the field
// under way counts), then nothing more until capture goes on again. Without bit 3
// frames follow one another while capture is on. A reset, or the port stopping,
// abandons the frame.
//
// The field of count n of the clock is field F = n & 1 of the frame FrameOf(n): its
// content is PatternPixel(standard, n, x, row). Window line k (k = 0..L, before
// vertical decimation) of field F is picture row
//   row = 2 * (y + k - Y0) + r(F)
// and window pixel c is picture pixel x = xs + c - X0, where (xs, y) is the window's
// first pixel and line, (X0, Y0) where the board's video path puts the picture's
// first pixel and line, and r(F) the row parity of the field, by type and standard:
//   525 lines: types 0-3 and 5 r(0) = -1, r(1) = 0; type 4 r(0) = 0, r(1) = 1.
//   625 lines: r(0) = 0, r(1) = 1.
// The kept lines go to the field's buffer one stride apart; the kept pixels of a
// line are written next to each other. Only YUV 4:2:2 capture is modelled (Y0 Cb Y1
// Cr, the chroma of each written pair from its first pixel; a decimation bit is one
// pixel); RGB capture, where the masks work on 16-bit units, is not. Every write is
// clipped to display memory; rows outside the picture are black.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/display/display_memory.h"
#include "sim/register_table.h"
#include "sim/video/test_pattern.h"

namespace sim {

// The port's registers as the board keeps them.
struct Kt650VideoPortRegisters {
  std::uint32_t buffer0 = 0;
  std::uint32_t buffer1 = 0;
  std::uint32_t window_size = 0;
  std::uint32_t window_offset = 0;
  std::uint32_t horizontal_mask = 0;
  std::uint32_t vertical_mask = 0;
  std::uint32_t stride = 0;
};

// Whether capture runs, as the board's registers and board-control device say.
struct Kt650CaptureState {
  bool on = false;        // capture runs
  std::uint8_t mode = 0;  // board-control register 7 on types 3-5
};

// One field to write, with its place in the picture.
struct Kt650FieldWrite {
  std::uint32_t count;
  std::uint16_t standard;
  std::uint32_t buffer;
  std::uint32_t stride;
  int x;  // picture pixel of window pixel 0
  int width;
  std::uint32_t horizontal_mask;
  int row;  // picture row of window line 0
  int lines;
  std::uint32_t vertical_mask;
};

class PLATFORM_EXPORT Kt650VideoPort : public RegisterHook {
 public:
  Kt650VideoPort(std::uint16_t chip, std::uint8_t type, DisplayMemory& memory);

  // The hook of 0xFF00: a rising reset bit or a falling run bit.
  std::uint32_t OnWrite(std::uint32_t index, std::uint32_t old, std::uint32_t written) override;

  // Board side, under the board's lock. The capture state after each host write.
  void Observe(const Kt650CaptureState& state);
  // The end of field `count` of a camera of `standard`, at the sync that begins the
  // next one: what to write, if anything.
  std::optional<Kt650FieldWrite> EndField(std::uint32_t count, const Kt650CaptureState& state,
                                          const Kt650VideoPortRegisters& registers, std::uint16_t standard);
  // A field begins: what happened to the port before no longer concerns it.
  void BeginField() { interrupted_ = false; }
  // On the field clock's thread, without the board's lock.
  void Write(const Kt650FieldWrite& field);
  // Held by a reader of display memory that must see whole lines of the capture
  // buffer, as the display's scan-out does: no field is written meanwhile.
  std::unique_lock<std::mutex> HoldFieldWrites() const { return std::unique_lock(write_mutex_); }

  // Test view.
  std::uint64_t fields_written() const;
  // The count of the last field written (0 before any).
  std::uint32_t last_field() const;
  // Whether capture ran after the last host write. It takes no lock, so that a
  // device's hook, which may run under the board's lock, can ask.
  bool capture_on() const { return observed_on_.load(std::memory_order_acquire); }

 private:
  enum class Single { kNone, kArmed, kWriting, kDone };
  bool ParityWanted(std::uint32_t field) const;
  int FieldsPerFrame() const;
  Kt650FieldWrite Place(std::uint32_t count, const Kt650VideoPortRegisters& r, std::uint16_t standard) const;

  const bool bytes_window_;  // chip 0x8A22: the window's widths count bytes
  const std::uint8_t type_;
  DisplayMemory& memory_;

  // Under the board's lock.
  bool on_ = false;
  bool interrupted_ = false;  // the port stopped or reset during the field in progress
  std::uint8_t start_ = 0;    // register 7 when capture went on
  Single single_ = Single::kNone;
  int frame_fields_left_ = 0;  // of the frame being written

  // The clock thread's line buffers, grown to the largest window seen.
  std::vector<int> columns_;
  std::vector<Yuv> pixels_;
  std::vector<std::uint8_t> line_;

  mutable std::mutex mutex_;        // the test view
  mutable std::mutex write_mutex_;  // a field's lines going into memory
  std::uint64_t fields_written_ = 0;
  std::uint32_t last_field_ = 0;
  std::atomic<bool> observed_on_{false};  // on_, for the test view
};

}  // namespace sim
