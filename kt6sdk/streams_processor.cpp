#include "kt6sdk/streams_processor.h"

#include "kt6sdk/display_mode.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/waits.h"

namespace kt6 {
namespace {

std::uint8_t Crtc(std::uint8_t index) { return static_cast<std::uint8_t>(KT6ProgramIORead(vga::kCrtcIndex, index)); }

}  // namespace

void PrepareStreamsProcessor() {
  OpenBoard& b = g_state.board;
  OpenSettings& s = g_state.settings;
  if (g_state.chip_id != kChip8A22) KT6MMIOWrite32Raw(mmio::kStreamsFifo, s.stream_fifo);
  b.saved_streams_control = Crtc(vga::kCrStreamsControl);
  WaitForVGARetrace();
  KT6ProgramIOWrite(vga::kCrtcIndex, vga::kCrStreamsControl, b.saved_streams_control | vga::kCrStreamsOn);
  // A 16-bit desktop that the chip shows in 15 bits.
  if (HasFifteenBitTwin(b.display_mode) && (b.saved_streams_control & vga::kCrColourModeBits) == vga::kCrColourMode15)
    b.display_mode = static_cast<std::uint16_t>(b.display_mode - 1);
  std::uint16_t mode = b.display_mode;
  KT6MMIOWrite32Raw(mmio::kBlendControl, mmio::kBlendDesktopOnly);
  KT6MMIOWrite32Raw(mmio::kPrimaryStreamAddress0, 0);
  KT6MMIOWrite32Raw(mmio::kPrimaryStreamAddress1, 0);
  if (g_state.chip_id == kChip8A22) {
    b.saved_streams_fifo = KT6MMIORead32Raw(mmio::kStreamsFifo8A22);
    KT6MMIOWrite32Raw(mmio::kStreamsFifo8A22, s.stream_fifo);
  } else {
    KT6MMIOWrite32Raw(mmio::kStreamsTiming, mmio::kStreamsTimingOlder);
  }
  PrimaryStream stream = PrimaryStreamOf(mode);
  b.primary_format = stream.format;
  b.key_format = stream.key_format;
  b.primary_stride = stream.stride;
  b.primary_width = stream.width;
  b.primary_height = stream.height;
  b.primary_bytes_per_pixel = stream.bytes_per_pixel;
  KT6MMIOWrite32Raw(mmio::kPrimaryStreamControl, stream.format);
  b.saved_primary_start = KT6MMIORead32Raw(mmio::kPrimaryStreamStart);
  if (s.savage4_shift_patch == 0) KT6MMIOWrite32Raw(mmio::kPrimaryStreamStart, mmio::kShiftPatchStart);
}

void RestoreStreamsProcessor() {
  const OpenBoard& b = g_state.board;
  KT6MMIOWrite32Raw(mmio::kPrimaryStreamStart, b.saved_primary_start);
  if (g_state.chip_id == kChip5631 && (b.saved_streams_control & vga::kCrStreamsOn) != vga::kCrStreamsOn)
    KT6MMIOWrite32Raw(mmio::kStreamsFifo, mmio::kStreamsFifoOff5631);
  else if (g_state.chip_id == kChip8A01)
    KT6MMIOWrite32Raw(mmio::kStreamsFifo, mmio::kStreamsFifoOff8A01);
  else if (g_state.chip_id == kChip8A22)
    KT6MMIOWrite32Raw(mmio::kStreamsFifo8A22, b.saved_streams_fifo);
  WaitForVGARetrace();
  KT6ProgramIOWrite(vga::kCrtcIndex, vga::kCrStreamsControl, b.saved_streams_control);
  if (g_state.chip_id == kChip8A01) KT6MMIOWrite32Raw(mmio::kStreamsFifo, mmio::kStreamsFifoIdle8A01);
}

}  // namespace kt6
