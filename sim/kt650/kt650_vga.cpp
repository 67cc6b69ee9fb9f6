#include "sim/kt650/kt650_vga.h"

#include <algorithm>

namespace sim {
namespace {

using namespace kt650;

constexpr std::uint32_t kVgaFileSize = 256;
constexpr std::uint32_t kByte = 0xFF;

unsigned ByteWide(std::uint32_t) { return 1; }

std::uint8_t IdByte(std::uint32_t id, unsigned n) { return static_cast<std::uint8_t>(id >> (8 * n)); }

// {name, register, reset, read-only bits}; the identity is the board's, not the host's.
std::vector<RegisterInfo> CrtcTable(const Kt650CrtcIdentity& id) {
  return {
      {"CHIP_REVISION", kCrtcChipRevision, id.chip_revision, kByte},
      {"MEMORY_CONFIG", kCrtcMemoryConfig, id.memory_code, kMemoryCodeMask},
      // Nothing in use until the display says where its desktop is.
      {"DESKTOP_HIGH", kCrtcDesktopHigh, 0, kByte},
      {"DESKTOP_LOW", kCrtcDesktopLow, 1, kByte},
      {"COLOUR_MODE", kCrtcColourMode, 0, kColourModeDepthMask},
      {"BOARD_ID_0", kCrtcBoardId0, IdByte(id.board_id, 0), kByte},
      {"BOARD_ID_1", kCrtcBoardId1, IdByte(id.board_id, 1), kByte},
      {"BOARD_ID_2", kCrtcBoardId2, IdByte(id.board_id, 2), kByte},
      {"BOARD_ID_3", kCrtcBoardId3, IdByte(id.board_id, 3), kByte},
  };
}

}  // namespace

Kt650Vga::Kt650Vga(const Kt650CrtcIdentity& identity, std::uint32_t refreshHz, std::vector<RegisterInfo> sequencerTable)
    : sequencer_(kVgaFileSize, ByteWide, std::move(sequencerTable)),
      crtc_(kVgaFileSize, ByteWide, CrtcTable(identity)) {
  SetRefreshRate(refreshHz);
}

void Kt650Vga::SetRefreshRate(std::uint32_t hz) {
  period_ = std::chrono::nanoseconds(std::chrono::seconds(1)) / std::max<std::uint32_t>(hz, 1);
}

std::uint8_t Kt650Vga::InputStatus1() const {
  // Retrace is the first part of each period, on the real clock: a program that
  // waits for it waits at most one period.
  auto phase = (std::chrono::steady_clock::now() - origin_) % period_;
  return phase < period_ / kRetraceFraction ? kVerticalRetrace | kDisplayDisabled : 0;
}

std::uint8_t Kt650Vga::Read(std::uint16_t port) {
  switch (port) {
    case kSequencerData:
      return static_cast<std::uint8_t>(sequencer_.Read(sequencer_index_));
    case kCrtcData:
      return static_cast<std::uint8_t>(crtc_.Read(crtc_index_));
    default:
      return Peek(port);
  }
}

std::uint8_t Kt650Vga::Peek(std::uint16_t port) const {
  switch (port) {
    case kSequencerIndex:
      return sequencer_index_;
    case kSequencerData:
      return static_cast<std::uint8_t>(sequencer_.Get(sequencer_index_));
    case kCrtcIndex:
      return crtc_index_;
    case kCrtcData:
      return static_cast<std::uint8_t>(crtc_.Get(crtc_index_));
    case kInputStatus1:
      return InputStatus1();
    default:
      return Holds(port) ? ports_[port - kFirstVgaPort] : 0xFF;
  }
}

void Kt650Vga::Write(std::uint16_t port, std::uint8_t value) {
  switch (port) {
    case kSequencerIndex:
      sequencer_index_ = value;
      break;
    case kSequencerData:
      sequencer_.Write(sequencer_index_, value, kByte);
      break;
    case kCrtcIndex:
      crtc_index_ = value;
      break;
    case kCrtcData:
      crtc_.Write(crtc_index_, value, kByte);
      break;
    default:
      // Input status 1 reads the retrace whatever is written at its port.
      if (Holds(port)) ports_[port - kFirstVgaPort] = value;
      break;
  }
}

}  // namespace sim
