#include "kt6sdk/board_operations.h"

#include "kt6sdk/library_state.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

void Nothing() {}
void NoTable(const std::uint8_t*) {}
void NoFlags(std::uint32_t) {}
void NoValue(std::uint8_t) {}
void NoFill(std::uint8_t, std::uint8_t, std::uint8_t) {}
void KeepMirrorMode(std::uint8_t mode) {
  if (mode <= 1) g_state.config.mirror_mode = mode;
}
// The standards the board type has: the user camera slot from type 4 on.
void KeepStandard(std::uint8_t standard) {
  if (standard > 2 || (standard == 2 && g_state.board_type < 4)) return;
  StoreShadow(g_state.config.tv_standard, standard);
}
void KeepPixelMode(std::uint8_t mode) { g_state.config.pixel_mode = mode; }

// The 525-line window until camera slots exist.
void StandardWindow(std::uint16_t* x, std::uint16_t* y, std::uint16_t* width, std::uint16_t* height) {
  *x = kGrabStart525.x;
  *y = kGrabStart525.y;
  *width = 640;
  *height = 480;
}

void StandardExtent(std::int32_t* width, std::int32_t* height) {
  *width = 776;
  *height = 525;
}

}  // namespace

BoardOperations g_operations = {
    Nothing,        Nothing,      Nothing, Nothing,       NoTable, NoFlags, Nothing, KeepMirrorMode,
    KeepStandard,   NoValue,      KeepPixelMode, NoFill,  Nothing, Nothing, StandardWindow, StandardExtent,
};

}  // namespace kt6
