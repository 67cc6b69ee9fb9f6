#include "sim/kt650/kt650_layout.h"

#include <algorithm>
#include <cstdio>
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

namespace {

std::string Hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", v);
  return text;
}

std::string BoardName(std::size_t i) { return "[kt650 " + std::to_string(i) + "] "; }
// As the machine file names its sections.
std::string MonitorName(std::size_t k) { return k == 0 ? "[display] " : "[monitor " + std::to_string(k) + "] "; }

// A physical range that no other may overlap.
struct Claim {
  std::uint64_t start;
  std::uint64_t end;
  std::string what;
};

// The display memory of plain adapters and each board's frame-buffer and register
// windows.
std::vector<Claim> Claims(const Kt650Layout& layout) {
  std::vector<Claim> claims;
  for (std::size_t k = 0; k < layout.monitors.size(); ++k) {
    const DisplayDesc& d = layout.monitors[k].display;
    if (layout.monitors[k].board < 0)
      claims.push_back({d.physical_base, std::uint64_t(d.physical_base) + d.memory_bytes, MonitorName(k) + "memory"});
  }
  for (std::size_t i = 0; i < layout.boards.size(); ++i) {
    const Kt650Desc& b = layout.boards[i];
    claims.push_back({b.frame_buffer_base, std::uint64_t(b.frame_buffer_base) + Kt650FrameBufferBarSize(b.chip),
                      BoardName(i) + "frame buffer"});
    if (b.chip == kChip8A22)
      claims.push_back({b.register_base, std::uint64_t(b.register_base) + Kt650RegisterWindowSize(b.chip),
                        BoardName(i) + "registers"});
  }
  return claims;
}

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

}  // namespace

bool ResolveKt650Layout(const std::vector<DisplayDesc>& displays, const std::vector<Kt650Desc>& boards,
                        Kt650Layout* out, std::string* error) {
  Kt650Layout layout;
  layout.boards = boards;
  for (std::size_t k = 0; k < displays.size(); ++k) {
    Kt650MonitorLayout monitor{displays[k], displays[k].memory_bytes, -1};
    DWORD& base = monitor.display.physical_base;
    if (k > 0 && (base == 0 || base == DisplayDesc{}.physical_base))
      base = kMonitorMemoryBase + static_cast<std::uint32_t>(k - 1) * kMonitorMemoryStride;
    layout.monitors.push_back(monitor);
  }
  for (std::size_t i = 0; i < boards.size(); ++i) {
    Kt650Desc& b = layout.boards[i];
    std::string name = BoardName(i);
    if (!Kt650ChipKnown(b.chip)) return Fail(error, name + "chip: no 650-series chip");
    if (b.monitor < -1 || b.monitor >= static_cast<int>(layout.monitors.size()))
      return Fail(error, name + "monitor: 0 to " + std::to_string(layout.monitors.size() - 1) + " or none");
    if (b.monitor >= 0) {
      Kt650MonitorLayout& monitor = layout.monitors[static_cast<std::size_t>(b.monitor)];
      if (monitor.board >= 0)
        return Fail(error, name + "monitor: board " + std::to_string(monitor.board) + " drives monitor " +
                               std::to_string(b.monitor));
      monitor.board = static_cast<int>(i);
      // The board's memory is the monitor's display memory.
      if (b.memory_bytes == 0) b.memory_bytes = monitor.display.memory_bytes;
      if (b.frame_buffer_base == 0) b.frame_buffer_base = monitor.display.physical_base;
      monitor.display.memory_bytes = b.memory_bytes;
      monitor.display.physical_base = b.frame_buffer_base;
      monitor.mapped_bytes = std::max(b.memory_bytes, Kt650ApertureSize(b.chip));
    } else {
      if (b.memory_bytes == 0) b.memory_bytes = Kt650DefaultMemory(b.chip);
      if (b.frame_buffer_base == 0)
        b.frame_buffer_base = kKt650OwnMemoryBase + static_cast<std::uint32_t>(i) * kKt650OwnMemoryStride;
    }
    if (!Kt650MemoryListed(b.chip, b.memory_bytes)) return Fail(error, name + "memory_bytes: no size the chip reports");
    for (std::size_t j = 0; j < i; ++j) {
      if (boards[j].bus == b.bus && boards[j].device_number == b.device_number)
        return Fail(error, name + "bus, device_number: the slot of board " + std::to_string(j));
    }
    if (b.chip == kChip8A22 && b.register_base == 0)
      b.register_base = kKt650RegisterBase + static_cast<std::uint32_t>(i) * kKt650RegisterStride;
  }
  std::vector<Claim> claims = Claims(layout);
  for (std::size_t i = 0; i < claims.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (claims[i].start < claims[j].end && claims[j].start < claims[i].end)
        return Fail(error, claims[i].what + " at " + Hex(static_cast<std::uint32_t>(claims[i].start)) + ": overlaps " +
                               claims[j].what);
  *out = std::move(layout);
  return true;
}

}  // namespace sim
