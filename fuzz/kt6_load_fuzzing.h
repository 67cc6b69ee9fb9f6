// What the 650-series load fuzz targets share: the board of the default virtual
// PC, opened and initialised once per process; each input becomes a file that a
// load reads into the video frame KT6Init places, in a pixel mode and with a
// rectangle taken from the input's last bytes. Display memory around the frame
// must not change.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_entry.h"
#include "kt6sdk/library_state.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "sim/machine.h"

namespace fuzzing::kt6_load {

// Display memory checked after the frame's last line.
constexpr std::uint32_t kGuardBytes = 4096;
constexpr std::uint8_t kGuard = 0xA5;
constexpr std::uint8_t kPixelModes[] = {1, 2, 4, 8};

// A load's arguments, from the input's last eight bytes.
struct Load {
  std::uint16_t src_x = 0, src_y = 0, dst_x = 0, dst_y = 0, width = 0xFFFF, height = 0xFFFF;
  std::uint16_t mode = 1;  // 1 colour, 2 grey, else refused
};

// The pixel mode named by a last byte 0xF0 to 0xF3, else the YUV mode: an init
// programs the decoder bit by bit and costs a hundred loads, so that a mode
// change stays rare (seed files of each mode end that way).
inline std::uint8_t PixelModeFor(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t last = size ? data[size - 1] : 0;
  return (last & 0xFC) == 0xF0 ? kPixelModes[last & 3] : kPixelModes[1];
}

inline std::uint16_t Extent(std::uint8_t b) { return b == 0xFF ? 0xFFFF : b; }

// Destinations up to the far edges of a frame of width x height and just past them.
inline Load LoadFor(const std::uint8_t* data, std::size_t size, std::uint32_t width, std::uint32_t height) {
  Load l;
  if (size < 8) return l;
  const std::uint8_t* p = data + size - 8;
  l.src_x = p[0] % 64;
  l.src_y = p[1] % 64;
  l.dst_x = static_cast<std::uint16_t>(p[2] & 0x80 ? width + 1 - (p[2] & 0x7F) % 4 : p[2]);
  l.dst_y = static_cast<std::uint16_t>(p[3] & 0x80 ? height + 1 - (p[3] & 0x7F) % 4 : p[3]);
  l.width = Extent(p[4]);
  l.height = Extent(p[5]);
  l.mode = p[6] % 3;
  return l;
}

// The opened board, its frame in the current pixel mode and the display memory
// around it.
class Board {
 public:
  Board() {
    char dir[] = "/tmp/zeph-kt6-fuzz-XXXXXX";
    if (!::mkdtemp(dir)) std::abort();
    dir_ = dir;
    platform::SetWindowsDirectory(dir_);
    // No bus calibration: the open stays quick.
    Write("WIN.INI", "[Zephlor]\nKT-600=" + dir_ + "\\board\n");
    Write("board/KT-600.INI", "[Other]\nAutoI2CTimingEnable=0\n");
    // A quick retrace: every init waits for a few.
    sim::MachineDescription desc = sim::MachineDescription::Default();
    desc.kt650_boards[0].refresh_hz = 20000;
    sim::PowerOn(desc);
    kt6::LibraryAttach();
    if (KT6Open(0x151) != 0 || KT6Init(nullptr) != 0) std::abort();
    UseMode(kPixelModes[1]);
  }

  // The input as a file with the load's extension; its name.
  std::string File(const std::uint8_t* data, std::size_t size, const char* extension) const {
    std::string path = dir_ + "/input" + extension;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
      if (size) std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
    platform::ClearMessageBoxLog();
    return path;
  }

  // A pixel mode is reached as an application reaches it: KT6Init with a record,
  // which places the frame.
  void UseMode(std::uint8_t mode) {
    if (mode == mode_) return;
    BoardConfig c;
    if (KT6InquireConfig(&c) != 0) std::abort();
    c.pixel_mode = mode;
    if (KT6Init(&c) != 0 || KT6InquireConfig(&c) != 0) std::abort();
    mode_ = mode;
    frame_ = reinterpret_cast<std::uint8_t*>(std::uintptr_t{KT6GetVRAMBase(nullptr)}) + c.video_frame_offset;
    pitch_ = c.line_pitch;
    width_ = c.video_frame_width;
    height_ = c.video_frame_height;
    row_bytes_ = width_ * (mode == 4 ? 3 : mode == 8 ? 4 : 2);
    const std::uint32_t end = c.video_frame_offset + height_ * pitch_;
    after_ = std::min(kGuardBytes, static_cast<std::uint32_t>(kt6::g_state.board.memory_bytes) - end);
    if (pitch_ < row_bytes_ || end > kt6::g_state.board.memory_bytes) std::abort();
    for (std::uint32_t y = 0; y < height_; ++y)
      std::memset(frame_ + y * pitch_ + row_bytes_, kGuard, pitch_ - row_bytes_);
    std::memset(frame_ + height_ * pitch_, kGuard, after_);
  }

  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }

  // The bytes after each line and after the frame are as UseMode left them.
  void Check() const {
    static std::uint8_t guard[kGuardBytes];
    if (guard[0] != kGuard) std::memset(guard, kGuard, kGuardBytes);
    for (std::uint32_t y = 0; y < height_; ++y)
      if (std::memcmp(frame_ + y * pitch_ + row_bytes_, guard, pitch_ - row_bytes_) != 0) std::abort();
    if (std::memcmp(frame_ + height_ * pitch_, guard, after_) != 0) std::abort();
  }

 private:
  void Write(const std::string& name, const std::string& text) const {
    std::string path = dir_ + "/" + name;
    if (name.find('/') != std::string::npos) ::mkdir((dir_ + "/board").c_str(), 0700);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
  }

  std::string dir_;
  std::uint8_t mode_ = 0;
  std::uint8_t* frame_ = nullptr;
  std::uint32_t pitch_ = 0, width_ = 0, height_ = 0, row_bytes_ = 0, after_ = 0;
};

inline Board& TheBoard() {
  static Board* board = new Board;
  return *board;
}

// One input through a load export: the file, the pixel mode, the load, the guard.
template <class Inquire, class LoadCall>
int Run(const std::uint8_t* data, std::size_t size, const char* extension, Inquire inquire, LoadCall load) {
  Board& board = TheBoard();
  board.UseMode(PixelModeFor(data, size));
  const Load l = LoadFor(data, size, board.width(), board.height());
  const std::string path = board.File(data, size, extension);
  inquire(path.c_str());
  load(path.c_str(), l);
  board.Check();
  return 0;
}

}  // namespace fuzzing::kt6_load
