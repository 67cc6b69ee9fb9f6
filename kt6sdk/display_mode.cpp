#include "kt6sdk/display_mode.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace kt6 {
namespace {

using namespace mode;

struct ModeRow {
  std::uint16_t code;
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t bits;
};

constexpr std::array<ModeRow, 16> kModeCodes = {{
    {k640x480x8, 640, 480, 8},       {k800x600x8, 800, 600, 8},       {k1024x768x8, 1024, 768, 8},
    {k1280x1024x8, 1280, 1024, 8},   {k640x480x16, 640, 480, 16},     {k800x600x16, 800, 600, 16},
    {k1024x768x16, 1024, 768, 16},   {k1280x1024x16, 1280, 1024, 16}, {k640x480x24, 640, 480, 24},
    {k800x600x24, 800, 600, 24},     {k1024x768x24, 1024, 768, 24},   {k1280x1024x24, 1280, 1024, 24},
    {k640x480x32, 640, 480, 32},     {k800x600x32, 800, 600, 32},     {k1024x768x32, 1024, 768, 32},
    {k1280x1024x32, 1280, 1024, 32},
}};

// Primary-stream formats and the colour-key formats that go with them.
constexpr std::uint32_t kFormat8 = 0;
constexpr std::uint32_t kFormat15 = 0x03000000;
constexpr std::uint32_t kFormat16 = 0x05000000;
constexpr std::uint32_t kFormat24 = 0x06000000;
constexpr std::uint32_t kFormat32 = 0x07000000;
constexpr std::uint32_t kKey8 = 0x05000000;
constexpr std::uint32_t kKey16 = 0x04000000;
constexpr std::uint32_t kKey24 = 0x07000000;
constexpr std::uint32_t kKey32 = 0x07000000;

struct StreamRow {
  std::uint16_t code;
  PrimaryStream stream;
};

// 640 x 480 at 24 and 32 bits is laid out as the larger desktops of those depths are.
constexpr std::array<StreamRow, 20> kStreams = {{
    {k640x480x8, {kFormat8, kKey8, 640, 640, 480, 1}},
    {k640x480x15, {kFormat15, kKey16, 1280, 640, 480, 2}},
    {k640x480x16, {kFormat16, kKey16, 1280, 640, 480, 2}},
    {k640x480x24, {kFormat24, kKey24, 1920, 640, 480, 3}},
    {k640x480x32, {kFormat32, kKey32, 2560, 640, 480, 4}},
    {k800x600x8, {kFormat8, kKey8, 800, 800, 600, 1}},
    {k800x600x15, {kFormat15, kKey16, 1600, 800, 600, 2}},
    {k800x600x16, {kFormat16, kKey16, 1600, 800, 600, 2}},
    {k800x600x24, {kFormat24, kKey24, 2400, 800, 600, 3}},
    {k800x600x32, {kFormat32, kKey32, 3200, 800, 600, 4}},
    {k1024x768x8, {kFormat8, kKey8, 1024, 1024, 768, 1}},
    {k1024x768x15, {kFormat15, kKey16, 2048, 1024, 768, 2}},
    {k1024x768x16, {kFormat16, kKey16, 2048, 1024, 768, 2}},
    {k1024x768x24, {kFormat24, kKey24, 3072, 1024, 768, 3}},
    {k1024x768x32, {kFormat32, kKey32, 4096, 1024, 768, 4}},
    {k1280x1024x8, {kFormat8, kKey8, 1280, 1280, 1024, 1}},
    {k1280x1024x15, {kFormat15, kKey16, 2560, 1280, 1024, 2}},
    {k1280x1024x16, {kFormat16, kKey16, 2560, 1280, 1024, 2}},
    {k1280x1024x24, {kFormat24, kKey24, 3840, 1280, 1024, 3}},
    {k1280x1024x32, {kFormat32, kKey32, 5120, 1280, 1024, 4}},
}};

bool Among(std::uint16_t code, std::initializer_list<std::uint16_t> list) {
  return std::find(list.begin(), list.end(), code) != list.end();
}

bool InRange(std::uint16_t code, std::uint16_t first, std::uint16_t last) { return code >= first && code <= last; }

}  // namespace

std::uint16_t DisplayModeCode(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) {
  for (const ModeRow& row : kModeCodes)
    if (row.width == width && row.height == height && row.bits == bitsPerPixel) return row.code;
  return 0;
}

bool ModeAllowed(std::uint16_t chip, std::uint16_t code) {
  switch (chip) {
    case kChip5631:
      return Among(code, {k640x480x8, k800x600x8, k640x480x16, k640x480x24, k800x600x16});
    case kChip8A01:
      return Among(code, {k640x480x8, k800x600x8, k1024x768x8}) || InRange(code, k640x480x15, k1024x768x24);
    case kChip8A22:
      return Among(code, {k640x480x8, k800x600x8, k1024x768x8, k1280x1024x8, k640x480x32, k800x600x32,
                          k1024x768x32, k1280x1024x32}) ||
             InRange(code, k640x480x15, k1280x1024x24);
    default:
      return false;
  }
}

bool HasFifteenBitTwin(std::uint16_t code) { return Among(code, {k640x480x16, k800x600x16, k1024x768x16}); }

PrimaryStream PrimaryStreamOf(std::uint16_t code) {
  for (const StreamRow& row : kStreams)
    if (row.code == code) return row.stream;
  return PrimaryStream{};
}

}  // namespace kt6

std::int32_t KT6GetDisplayModeCode(std::uint16_t* code, std::uint32_t width, std::uint32_t height,
                                   std::uint32_t bitsPerPixel) {
  if (width == 0 && height == 0 && bitsPerPixel == 0) {
    HDC screen = GetDC(nullptr);
    if (screen) {
      width = static_cast<std::uint32_t>(GetDeviceCaps(screen, HORZRES));
      height = static_cast<std::uint32_t>(GetDeviceCaps(screen, VERTRES));
      bitsPerPixel = static_cast<std::uint32_t>(GetDeviceCaps(screen, BITSPIXEL));
      ReleaseDC(nullptr, screen);
    }
  }
  std::uint16_t found = kt6::DisplayModeCode(width, height, bitsPerPixel);
  if (found && code) *code = found;
  return 1;
}
