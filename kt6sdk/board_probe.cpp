// What the scan asks of a candidate board once it is mapped: whether it answers on
// its serial bus as a capture board, and which display it drives.
#include "kt6sdk/board_scan.h"
#include "kt6sdk/display_enumeration.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"

namespace kt6 {
namespace {

// The decoder's status on a board of the older chip.
constexpr std::uint8_t kSaa7110Present = 1;
// The board status byte: its low nibble, 0 and 15 being no board behind the bus.
constexpr std::uint8_t kStatusNibble = 0x0F;
// The board status byte: five bytes from a board with a variant, two otherwise.
constexpr std::uint32_t kVariantStatusCount = 5;
constexpr std::uint8_t kVariantStatusOut = 127;
constexpr std::uint32_t kStatusCount = 2;
constexpr std::uint8_t kStatusOut = 120;

// The pixel at (0, 0) of the display, before and after the first frame-buffer
// word is written with `value`; the word gets its value back.
bool PixelFollows(HDC dc, volatile std::uint32_t* word, std::uint32_t value) {
  COLORREF before = GetPixel(dc, 0, 0);
  std::uint32_t saved = *word;
  *word = value;
  COLORREF after = GetPixel(dc, 0, 0);
  *word = saved;
  return before != after;
}

}  // namespace

BoardTable g_boards{};

bool IsBoardChip(std::uint16_t vendor, std::uint16_t device) {
  return vendor == kGraphicsVendor && (device == kChip5631 || device == kChip8A01 || device == kChip8A22);
}

bool RecordBoard(std::uint16_t chip, std::uint8_t bus, std::uint8_t device, std::uint8_t display) {
  if (g_boards.count >= kMaxBoards) return false;
  g_boards.boards[g_boards.count++] = BoardEntry{chip, bus, device, display};
  return true;
}

bool BoardAnswers(std::uint16_t chip) {
  SerialBusHold bus;
  KT6I2CIdle();
  // The plain board has nothing on its bus to ask: the display probe decides.
  bool answers = chip == kChip5631;
  if (chip == kChip8A01) {
    answers = KT6ReadSAA7110Status(0) == kSaa7110Present;
  } else if (chip == kChip8A22) {
    std::uint8_t variant = KT6ProgramIORead(vga::kCrtcIndex, vga::kCrBoardId0) & vga::kBoardVariantBits;
    std::uint8_t status = variant ? KT6SerialReadBytes(kVariantStatusCount, kVariantStatusOut)
                                  : KT6SerialReadBytes(kStatusCount, kStatusOut);
    std::uint8_t nibble = status & kStatusNibble;
    answers = nibble != 0 && nibble != kStatusNibble;
  }
  KT6I2CIdle();
  return answers;
}

std::int32_t FindBoardDisplay(std::uint32_t frameBufferLinear) {
  if (frameBufferLinear == 0) return -1;
  auto* word = reinterpret_cast<volatile std::uint32_t*>(static_cast<std::uintptr_t>(frameBufferLinear));
  for (std::uint32_t i = 0; i < g_displays.count; ++i) {
    HDC dc = CreateDisplayDC(i);
    if (!dc) continue;
    bool follows = PixelFollows(dc, word, 0xFFFFFFFF) || PixelFollows(dc, word, 0);
    DeleteDC(dc);
    if (follows) return static_cast<std::int32_t>(i);
  }
  return -1;
}

}  // namespace kt6
