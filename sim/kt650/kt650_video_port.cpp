#include "sim/kt650/kt650_video_port.h"

#include <algorithm>
#include <cstring>

#include "sim/kt650/kt650_registers.h"
#include "sim/video/test_pattern.h"

namespace sim {

using namespace kt650;

namespace {

constexpr unsigned kYuvBytes = 2;
constexpr std::uint16_t kStandard625 = 1;

struct PictureOrigin {
  int x;
  int y;
};

// Where each type's video path puts the picture's first pixel and line, at 525 and
// at 625 lines: the library's default window (x 51, y 10 / x 85, y 16) with the
// correction it makes for the type, so that its default window holds the picture.
constexpr PictureOrigin kPictureOrigin[kLastType + 1][2] = {
    {{51, 10}, {85, 16}}, {{51, 10}, {85, 16}},  {{51, 10}, {85, 16}},
    {{3, 14}, {3, 20}},   {{74, 10}, {116, 16}}, {{51, 10}, {85, 16}},
};
constexpr std::uint8_t kTypeFieldAligned525 = 4;
// Samples of a line and lines of a field, blanking included, at the most.
constexpr int kMaxLinePixels = 1024;
constexpr int kMaxFieldLines = 313;

// r(F): the picture row parity of field F's lines.
int RowParity(std::uint8_t type, std::uint16_t standard, unsigned field) {
  bool aligned = standard == kStandard625 || type == kTypeFieldAligned525;
  return static_cast<int>(field) - (aligned ? 0 : 1);
}

bool Dropped(std::uint32_t mask, unsigned n) { return (mask >> (n % kDecimationPeriod)) & 1; }

}  // namespace

Kt650VideoPort::Kt650VideoPort(std::uint16_t chip, std::uint8_t type, DisplayMemory& memory)
    : bytes_window_(chip == kChip8A22), type_(type), memory_(memory) {}

std::uint32_t Kt650VideoPort::OnWrite(std::uint32_t, std::uint32_t old, std::uint32_t written) {
  // A reset, or the port stopping, abandons the field under way and the frame.
  if ((written & ~old & kVideoPortReset) || (old & ~written & kVideoPortRun)) {
    interrupted_ = true;
    frame_fields_left_ = 0;
    single_ = Single::kNone;
  }
  return written;
}

void Kt650VideoPort::Observe(const Kt650CaptureState& state) {
  if (state.on && !on_) {
    start_ = state.mode;
    bool single = type_ >= kFirstType8A22 && (state.mode & kCaptureSingleFrame);
    single_ = single ? Single::kArmed : Single::kNone;
  }
  on_ = state.on;
  observed_on_.store(on_, std::memory_order_release);
}

bool Kt650VideoPort::ParityWanted(std::uint32_t field) const {
  if (type_ < kFirstType8A22 || (start_ & kCaptureStartNext)) return true;
  return ((start_ & kCaptureStartField1) != 0) == ((field & 1) != 0);
}

int Kt650VideoPort::FieldsPerFrame() const {
  return type_ >= kFirstType8A22 && (start_ & kCaptureTwoFields) ? 2 : 1;
}

std::optional<Kt650FieldWrite> Kt650VideoPort::EndField(std::uint32_t count, const Kt650CaptureState& state,
                                                        const Kt650VideoPortRegisters& registers,
                                                        std::uint16_t standard) {
  Observe(state);
  if (interrupted_) return std::nullopt;
  // A frame begins with a field of the parity asked for: the single frame once it
  // is asked for, continuous frames while capture is on.
  if (frame_fields_left_ == 0 && ParityWanted(count)) {
    if (single_ == Single::kArmed) {
      single_ = Single::kWriting;
      frame_fields_left_ = FieldsPerFrame();
    } else if (single_ == Single::kNone && on_) {
      frame_fields_left_ = FieldsPerFrame();
    }
  }
  if (frame_fields_left_ == 0) return std::nullopt;
  if (--frame_fields_left_ == 0 && single_ == Single::kWriting) single_ = Single::kDone;
  return Place(count, registers, standard);
}

Kt650FieldWrite Kt650VideoPort::Place(std::uint32_t count, const Kt650VideoPortRegisters& r,
                                      std::uint16_t standard) const {
  unsigned field = count & 1;
  unsigned bytesPerUnit = bytes_window_ ? kYuvBytes : 1;
  PictureOrigin origin = kPictureOrigin[std::min<unsigned>(type_, kLastType)][standard == kStandard625 ? 1 : 0];
  int firstPixel =
      static_cast<int>((((r.window_offset & kWindowFieldMask) + kWindowBias) & kWindowFieldMask) / bytesPerUnit);
  int firstLine = static_cast<int>(r.window_offset >> kWindowHighShift);
  Kt650FieldWrite w{};
  w.count = count;
  w.standard = standard;
  w.buffer = field ? r.buffer1 : r.buffer0;
  w.stride = r.stride;
  w.x = firstPixel - origin.x;
  // A line carries no more samples, and a field no more lines, than the signal has.
  w.width = std::min(static_cast<int>(((r.window_size & kWindowFieldMask) + kWindowBias) / bytesPerUnit),
                     kMaxLinePixels);
  w.horizontal_mask = r.horizontal_mask;
  w.row = 2 * (firstLine - origin.y) + RowParity(type_, standard, field);
  w.lines = std::min(static_cast<int>(r.window_size >> kWindowHighShift) + 1, kMaxFieldLines);
  w.vertical_mask = r.vertical_mask;
  return w;
}

void Kt650VideoPort::Write(const Kt650FieldWrite& f) {
  columns_.clear();
  for (int c = 0; c < f.width; ++c)
    if (!Dropped(f.horizontal_mask, static_cast<unsigned>(c))) columns_.push_back(f.x + c);
  const std::size_t pixels = columns_.size();
  pixels_.resize(pixels);
  line_.resize(pixels * kYuvBytes);
  const std::uint64_t size = memory_.size();
  std::uint64_t at = f.buffer;
  std::unique_lock writing(write_mutex_);
  for (int k = 0; k < f.lines && at < size; ++k) {
    if (Dropped(f.vertical_mask, static_cast<unsigned>(k))) continue;
    PatternPixels(f.standard, f.count, f.row + 2 * k, columns_.data(), pixels, pixels_.data());
    // Y0 Cb Y1 Cr: a pair takes its chroma from its first pixel.
    std::uint8_t* out = line_.data();
    for (std::size_t i = 0; i < pixels; ++i, out += kYuvBytes) {
      out[0] = pixels_[i].y;
      out[1] = i % 2 ? pixels_[i - 1].v : pixels_[i].u;
    }
    std::memcpy(memory_.base() + at, line_.data(),
                static_cast<std::size_t>(std::min<std::uint64_t>(line_.size(), size - at)));
    at += f.stride;
  }
  writing.unlock();
  std::lock_guard lock(mutex_);
  ++fields_written_;
  last_field_ = f.count;
}

std::uint64_t Kt650VideoPort::fields_written() const {
  std::lock_guard lock(mutex_);
  return fields_written_;
}

std::uint32_t Kt650VideoPort::last_field() const {
  std::lock_guard lock(mutex_);
  return last_field_;
}

}  // namespace sim
