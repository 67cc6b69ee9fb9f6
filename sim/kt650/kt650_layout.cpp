#include "sim/kt650/kt650_layout.h"

#include <algorithm>
#include <span>

namespace sim {
namespace {

using namespace kt650;

struct MemoryCode {
  std::uint32_t bytes;
  std::uint8_t code;
};

constexpr std::uint32_t kMegabyte = 1u << 20;
// Smallest first.
constexpr MemoryCode kCodesOld[] = {{1 * kMegabyte, 0xC0}, {2 * kMegabyte, 0x80}, {4 * kMegabyte, 0x00}};
constexpr MemoryCode kCodes8A22[] = {{2 * kMegabyte, 0x00},  {4 * kMegabyte, 0x20},  {8 * kMegabyte, 0x40},
                                     {12 * kMegabyte, 0x60}, {16 * kMegabyte, 0x80}, {32 * kMegabyte, 0xA0}};

std::span<const MemoryCode> CodesOf(std::uint16_t chip) {
  if (chip == kChip8A22) return kCodes8A22;
  return kCodesOld;
}

}  // namespace

bool Kt650ChipKnown(std::uint16_t chip) { return chip == kChip5631 || chip == kChip8A01 || chip == kChip8A22; }

bool Kt650TypeFits(std::uint16_t chip, std::uint8_t type) {
  switch (chip) {
    case kChip5631:
      return type < kFirstType8A01;
    case kChip8A01:
      return type >= kFirstType8A01 && type < kFirstType8A22;
    case kChip8A22:
      return type >= kFirstType8A22 && type <= kLastType;
    default:
      return false;
  }
}

std::uint32_t Kt650ApertureSize(std::uint16_t chip) { return chip == kChip8A22 ? kApertureSize8A22 : kApertureSizeOld; }

std::uint32_t Kt650FrameBufferBarSize(std::uint16_t chip) {
  return chip == kChip8A22 ? kApertureSize8A22 : kDecodeSizeOld;
}

std::uint32_t Kt650RegisterWindowSize(std::uint16_t chip) {
  return chip == kChip8A22 ? kRegisterWindowSize8A22 : kRegisterWindowSizeOld;
}

std::uint32_t Kt650DefaultMemory(std::uint16_t chip) {
  return chip == kChip8A22 ? kDefaultMemory8A22 : kDefaultMemoryOld;
}

bool Kt650MemoryListed(std::uint16_t chip, std::uint32_t bytes) {
  auto codes = CodesOf(chip);
  return std::any_of(codes.begin(), codes.end(), [&](const MemoryCode& c) { return c.bytes == bytes; });
}

std::uint8_t Kt650MemoryCode(std::uint16_t chip, std::uint32_t bytes) {
  auto codes = CodesOf(chip);
  std::uint8_t code = codes.front().code;
  for (const MemoryCode& c : codes)
    if (c.bytes <= bytes) code = c.code;
  return code;
}

bool ResolveKt650Layout(const DisplayDesc& display, const std::vector<Kt650Desc>& boards, Kt650Layout* out,
                        std::string* error) {
  Kt650Layout layout;
  layout.display = display;
  layout.boards = boards;
  for (std::size_t i = 0; i < boards.size(); ++i) {
    Kt650Desc& b = layout.boards[i];
    std::string name = "[kt650 " + std::to_string(i) + "] ";
    if (!Kt650ChipKnown(b.chip)) {
      if (error) *error = name + "chip: no 650-series chip";
      return false;
    }
    if (b.monitor != 0 && b.monitor != -1) {
      if (error) *error = name + "monitor: 0 or none";
      return false;
    }
    if (b.monitor == 0) {
      if (layout.monitor_board >= 0) {
        if (error) *error = name + "monitor: another board drives monitor 0";
        return false;
      }
      layout.monitor_board = static_cast<int>(i);
      // The board's memory is the display memory.
      if (b.memory_bytes == 0) b.memory_bytes = display.memory_bytes;
      if (b.frame_buffer_base == 0) b.frame_buffer_base = display.physical_base;
      layout.display.memory_bytes = b.memory_bytes;
      layout.display.physical_base = b.frame_buffer_base;
      layout.display_mapped_bytes = std::max(b.memory_bytes, Kt650ApertureSize(b.chip));
    } else {
      if (b.memory_bytes == 0) b.memory_bytes = Kt650DefaultMemory(b.chip);
      if (b.frame_buffer_base == 0)
        b.frame_buffer_base = kKt650OwnMemoryBase + static_cast<std::uint32_t>(i) * kKt650OwnMemoryStride;
    }
    if (!Kt650MemoryListed(b.chip, b.memory_bytes)) {
      if (error) *error = name + "memory_bytes: no size the chip reports";
      return false;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (boards[j].bus == b.bus && boards[j].device_number == b.device_number) {
        if (error) *error = name + "bus, device_number: the slot of board " + std::to_string(j);
        return false;
      }
    }
    if (b.chip == kChip8A22 && b.register_base == 0)
      b.register_base = kKt650RegisterBase + static_cast<std::uint32_t>(i) * kKt650RegisterStride;
  }
  if (layout.monitor_board < 0) layout.display_mapped_bytes = display.memory_bytes;
  *out = std::move(layout);
  return true;
}

}  // namespace sim
