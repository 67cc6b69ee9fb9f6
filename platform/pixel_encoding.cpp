#include "platform/pixel_encoding.h"

namespace platform {
namespace {

constexpr COLORREF kVgaPalette[16] = {
    RGB(0, 0, 0),          RGB(0x80, 0, 0),    RGB(0, 0x80, 0),    RGB(0x80, 0x80, 0),
    RGB(0, 0, 0x80),       RGB(0x80, 0, 0x80), RGB(0, 0x80, 0x80), RGB(0xC0, 0xC0, 0xC0),
    RGB(0x80, 0x80, 0x80), RGB(0xFF, 0, 0),    RGB(0, 0xFF, 0),    RGB(0xFF, 0xFF, 0),
    RGB(0, 0, 0xFF),       RGB(0xFF, 0, 0xFF), RGB(0, 0xFF, 0xFF), RGB(0xFF, 0xFF, 0xFF)};

struct Channel {
  int shift = 0;
  int bits = 0;
};

Channel ChannelOf(DWORD mask) {
  Channel c;
  if (mask == 0) return c;
  while (!(mask & 1)) {
    mask >>= 1;
    ++c.shift;
  }
  while (mask & 1) {
    mask >>= 1;
    ++c.bits;
  }
  return c;
}

// Widens a component of `bits` bits to 8 by repeating its bits.
DWORD Widen(DWORD v, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return (v >> (bits - 8)) & 0xFF;
  DWORD out = 0;
  for (int pos = 8 - bits; pos > -bits; pos -= bits) out |= pos >= 0 ? v << pos : v >> -pos;
  return out & 0xFF;
}

DWORD Narrow(DWORD c8, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return c8 << (bits - 8);
  return c8 >> (8 - bits);
}

DWORD ChannelMask(const Channel& c) { return c.bits >= 32 ? 0xFFFFFFFF : ((1u << c.bits) - 1) << c.shift; }

bool IsPalette(const DDPIXELFORMAT& f) { return f.dwFlags & (DDPF_PALETTEINDEXED8 | DDPF_PALETTEINDEXED4); }

DWORD NearestVga(COLORREF color) {
  DWORD best = 0;
  long bestDistance = -1;
  for (DWORD i = 0; i < 16; ++i) {
    long dr = long(GetRValue(color)) - GetRValue(kVgaPalette[i]);
    long dg = long(GetGValue(color)) - GetGValue(kVgaPalette[i]);
    long db = long(GetBValue(color)) - GetBValue(kVgaPalette[i]);
    long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

COLORREF PaletteColor(DWORD bitsPerPixel, DWORD index) {
  if (bitsPerPixel == 4) return kVgaPalette[index & 15];
  index &= 0xFF;
  return RGB(static_cast<BYTE>(Widen(index >> 5, 3)), static_cast<BYTE>(Widen((index >> 2) & 7, 3)),
             static_cast<BYTE>(Widen(index & 3, 2)));
}

DWORD EncodeColor(const DDPIXELFORMAT& format, COLORREF color) {
  if (format.dwFlags & DDPF_FOURCC) return 0;
  if (IsPalette(format)) {
    if (format.dwRGBBitCount == 4) return NearestVga(color);
    return (GetRValue(color) >> 5) << 5 | (GetGValue(color) >> 5) << 2 | GetBValue(color) >> 6;
  }
  Channel r = ChannelOf(format.dwRBitMask), g = ChannelOf(format.dwGBitMask), b = ChannelOf(format.dwBBitMask);
  return ((Narrow(GetRValue(color), r.bits) << r.shift) & ChannelMask(r)) |
         ((Narrow(GetGValue(color), g.bits) << g.shift) & ChannelMask(g)) |
         ((Narrow(GetBValue(color), b.bits) << b.shift) & ChannelMask(b));
}

COLORREF DecodeColor(const DDPIXELFORMAT& format, DWORD pixel) {
  if (format.dwFlags & DDPF_FOURCC) return CLR_INVALID;
  if (IsPalette(format)) return PaletteColor(format.dwRGBBitCount, pixel);
  Channel r = ChannelOf(format.dwRBitMask), g = ChannelOf(format.dwGBitMask), b = ChannelOf(format.dwBBitMask);
  auto part = [pixel](DWORD mask, const Channel& c) {
    return static_cast<BYTE>(Widen((pixel & mask) >> c.shift, c.bits));
  };
  return RGB(part(format.dwRBitMask, r), part(format.dwGBitMask, g), part(format.dwBBitMask, b));
}

DWORD ReadPixelValue(const BYTE* line, DWORD x, DWORD bitsPerPixel) {
  if (bitsPerPixel < 8) {
    DWORD bit = x * bitsPerPixel;
    DWORD shift = 8 - bitsPerPixel - bit % 8;
    return (line[bit / 8] >> shift) & ((1u << bitsPerPixel) - 1);
  }
  DWORD bytes = bitsPerPixel / 8;
  const BYTE* p = line + static_cast<std::size_t>(x) * bytes;
  DWORD v = 0;
  for (DWORD i = 0; i < bytes && i < 4; ++i) v |= static_cast<DWORD>(p[i]) << (8 * i);
  return v;
}

void WritePixelValue(BYTE* line, DWORD x, DWORD bitsPerPixel, DWORD value) {
  if (bitsPerPixel < 8) {
    DWORD bit = x * bitsPerPixel;
    DWORD shift = 8 - bitsPerPixel - bit % 8;
    DWORD mask = ((1u << bitsPerPixel) - 1) << shift;
    line[bit / 8] = static_cast<BYTE>((line[bit / 8] & ~mask) | ((value << shift) & mask));
    return;
  }
  DWORD bytes = bitsPerPixel / 8;
  BYTE* p = line + static_cast<std::size_t>(x) * bytes;
  for (DWORD i = 0; i < bytes && i < 4; ++i) p[i] = static_cast<BYTE>(value >> (8 * i));
}

void FillPixels(BYTE* base, LONG pitch, DWORD bitsPerPixel, const RECT& rect, DWORD value) {
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    BYTE* line = base + static_cast<std::ptrdiff_t>(y) * pitch;
    for (LONG x = rect.left; x < rect.right; ++x) WritePixelValue(line, DWORD(x), bitsPerPixel, value);
  }
}

}  // namespace platform
