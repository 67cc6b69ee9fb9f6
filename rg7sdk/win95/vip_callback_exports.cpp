// The DirectDraw layer's video-port callbacks, exported by name from the Windows 95
// build, where a video port can be driven by the board.
#include "rg7sdk/board_setup.h"
#include "rg7sdk/win95/rg7app95.h"

std::uint32_t ZPVIPInitCallback(std::uint32_t a, std::uint32_t b) { return rg7::ZPVIPInitCallback(a, b); }

std::uint32_t ZPVIPUninitCallback(std::uint32_t a, std::uint32_t b) { return rg7::ZPVIPUninitCallback(a, b); }
