// The display's own record of one surface (inside sim only).
#pragma once

#include "sim/display/display.h"

namespace sim {

struct Display::Record {
  std::uint32_t id = 0;
  DWORD caps = 0;
  bool primary = false;  // a view of the desktop: size and format follow the mode
  DWORD width = 0;
  DWORD height = 0;
  LONG pitch = 0;
  DDPIXELFORMAT format{};
  BYTE* memory = nullptr;
  bool inDisplayMemory = false;
  std::uint32_t offset = 0;
  std::size_t systemBytes = 0;
  int loseRemaining = 0;
  int locks = 0;
  int pageLocks = 0;
  std::optional<DDCOLORKEY> destOverlayKey;
  std::optional<DDCOLORKEY> srcOverlayKey;
  OverlayState overlay;
  // A flipping chain's back buffer; a flip swaps it with memory and offset.
  BYTE* backMemory = nullptr;
  std::uint32_t backOffset = 0;
  std::uint32_t flips = 0;
};

}  // namespace sim
