// Frame lines to file rows and back, one small function a pair of pixel kinds,
// chosen from tables by the file's pixels and the frame's pixel mode.
#include "kt6sdk/image_file_rows.h"

#include <cstring>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/yuv_pairs.h"

namespace kt6::image_file {
namespace {

constexpr std::uint8_t kNeutralChroma = 0x80;
constexpr std::size_t kFrameKinds = 3;

std::size_t Index(FrameKind k) { return static_cast<std::size_t>(k); }

// ---- save ----

// Pixel mode 1, 2, 4 or 8 as format 4 names it per container: BMP, TGA, TIFF.
struct AsPixelMode {
  std::uint8_t mode;
  std::uint16_t code[3];
};
constexpr AsPixelMode kFormat4[] = {{1, {5, 5, 5}}, {2, {6, 6, 7}}, {4, {6, 6, 6}}, {8, {6, 6, 6}}};
constexpr std::uint16_t kAsPixelMode = 4;

struct SaveCode {
  std::uint16_t code;
  SavePixels pixels[3];  // BMP, TGA, TIFF
};
constexpr SaveCode kSaveCodes[] = {
    {5, {SavePixels::kGrey8, SavePixels::kGrey8, SavePixels::kGrey8}},
    {6, {SavePixels::kBgr24, SavePixels::kBgr24, SavePixels::kRgb24}},
    {7, {SavePixels::kNone, SavePixels::kNone, SavePixels::kYCbCr}},
    {8, {SavePixels::kNone, SavePixels::kBgr555, SavePixels::kNone}},
    {9, {SavePixels::kNone, SavePixels::kBgr24, SavePixels::kNone}},
    {10, {SavePixels::kNone, SavePixels::kBgr32, SavePixels::kNone}},
};

// Bytes a pixel for each SavePixels; YCbCr averages 2.
constexpr std::uint32_t kSaveBytes[] = {0, 1, 3, 2, 4, 3, 2};

void Luma(const std::uint8_t* yuv, std::uint32_t count, std::uint8_t* row) {
  for (std::uint32_t i = 0; i < count; ++i) row[i] = yuv[2 * i];
}

void Pack555(const std::uint8_t* bgr, std::uint32_t step, std::uint32_t count, std::uint8_t* row) {
  for (std::uint32_t i = 0; i < count; ++i, bgr += step) {
    std::uint32_t v = bgr[0] >> 3 | (bgr[1] >> 3) << 5 | (bgr[2] & 0xF8u) << 7;
    row[2 * i] = static_cast<std::uint8_t>(v);
    row[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
  }
}

// Three colour bytes of each pixel, in their order or reversed, then `to - 3` zero bytes.
void Repack(const std::uint8_t* src, std::uint32_t from, std::uint32_t count, std::uint8_t* row, std::uint32_t to,
            bool reverse) {
  for (std::uint32_t i = 0; i < count; ++i, src += from, row += to) {
    row[0] = reverse ? src[2] : src[0];
    row[1] = src[1];
    row[2] = reverse ? src[0] : src[2];
    if (to == 4) row[3] = 0;
  }
}

// YUV 4:2:2 pairs Y0 Cb Y1 Cr as data units Y0 Y1 Cb Cr; an odd last pixel fills
// its unit with its own luma (callers hand whole pairs, so its pair's Cr is there).
void Units(const std::uint8_t* yuv, std::uint32_t count, std::uint8_t* row) {
  std::uint32_t i = 0;
  for (; i + 1 < count; i += 2, row += 4) {
    const std::uint8_t* p = yuv + 2 * i;
    row[0] = p[0];
    row[1] = p[2];
    row[2] = p[1];
    row[3] = p[3];
  }
  if (i < count) {
    row[0] = row[1] = yuv[2 * i];
    row[2] = yuv[2 * i + 1];
    row[3] = yuv[2 * i + 3];
  }
}

std::uint32_t Bits(FrameKind k) { return k == FrameKind::kRgb24 ? 24 : 32; }
std::uint32_t Step(FrameKind k) { return k == FrameKind::kRgb24 ? 3 : 4; }

using SaveRow = void (*)(FrameKind, const std::uint8_t*, std::uint32_t, std::uint8_t*, std::uint8_t*);

void YuvGrey(FrameKind, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) { Luma(l, n, r); }
void YuvBgr24(FrameKind, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) {
  KT6Yuv2Rgb24bitCCIR601_422(l, r, n, 0);
}
void YuvBgr555(FrameKind, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t* s) {
  KT6Yuv2Rgb32bitCCIR601_422(l, s, n, 0);
  Pack555(s, 4, n, r);
}
void YuvBgr32(FrameKind, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) {
  KT6Yuv2Rgb32bitCCIR601_422(l, r, n, 0);
  for (std::uint32_t i = 0; i < n; ++i) r[4 * i + 3] = 0;
}
void YuvRgb24(FrameKind, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) {
  KT6Yuv2Rgb24bitCCIR601_422(l, r, n, 1);
}
void YuvUnits(FrameKind, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) { Units(l, n, r); }

void RgbGrey(FrameKind k, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t* s) {
  KT6Rgb2YuvCCIR601_422(l, s, n, Bits(k), 0);
  Luma(s, n, r);
}
void RgbBgr24(FrameKind k, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) {
  Repack(l, Step(k), n, r, 3, false);
}
void RgbBgr555(FrameKind k, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) {
  Pack555(l, Step(k), n, r);
}
void RgbBgr32(FrameKind k, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) {
  if (k == FrameKind::kRgb32)
    std::memcpy(r, l, std::size_t{n} * 4);
  else
    Repack(l, 3, n, r, 4, false);
}
void RgbRgb24(FrameKind k, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t*) {
  Repack(l, Step(k), n, r, 3, true);
}
void RgbUnits(FrameKind k, const std::uint8_t* l, std::uint32_t n, std::uint8_t* r, std::uint8_t* s) {
  // Whole pairs, so that chroma is taken at even pixels; an odd tail's partner is not used.
  KT6Rgb2YuvCCIR601_422(l, s, (n + 1) & ~1u, Bits(k), 0);
  Units(s, n, r);
}

// [SavePixels][YUV frame, RGB frame]
constexpr SaveRow kSaveRows[][2] = {
    {nullptr, nullptr},       {YuvGrey, RgbGrey},   {YuvBgr24, RgbBgr24}, {YuvBgr555, RgbBgr555},
    {YuvBgr32, RgbBgr32},     {YuvRgb24, RgbRgb24}, {YuvUnits, RgbUnits},
};

// ---- load ----

// The pixels srcX .. of a file row are first brought to one of these, then stored
// in the frame's kind.
enum class Between : std::uint8_t { kGrey, kBgr24, kBgr32, kYcc };

using Decode = void (*)(const std::uint8_t*, std::uint32_t, std::uint32_t, std::uint8_t*);

void CopyPixels(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out, std::uint32_t bytes) {
  std::memcpy(out, row + std::size_t{x} * bytes, std::size_t{n} * bytes);
}
void DecodeGrey(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out) {
  CopyPixels(row, x, n, out, 1);
}
void DecodeBgr24(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out) {
  CopyPixels(row, x, n, out, 3);
}
void DecodeBgr32(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out) {
  CopyPixels(row, x, n, out, 4);
}
void DecodeBgr555(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out) {
  const std::uint8_t* p = row + 2 * std::size_t{x};
  for (std::uint32_t i = 0; i < n; ++i, p += 2, out += 3) {
    std::uint32_t v = p[0] | p[1] << 8;
    out[0] = static_cast<std::uint8_t>((v & 0x1F) << 3);
    out[1] = static_cast<std::uint8_t>((v >> 5 & 0x1F) << 3);
    out[2] = static_cast<std::uint8_t>((v >> 10 & 0x1F) << 3);
  }
}
void DecodeRgb24(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out) {
  Repack(row + 3 * std::size_t{x}, 3, n, out, 3, true);
}
void DecodeRgb32(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out) {
  const std::uint8_t* p = row + 4 * std::size_t{x};
  for (std::uint32_t i = 0; i < n; ++i, p += 4, out += 4) {
    out[0] = p[2];
    out[1] = p[1];
    out[2] = p[0];
    out[3] = p[3];
  }
}
// Each pixel as Y Cb Cr: its luma and its data unit's chroma.
void DecodeUnits422(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out) {
  for (std::uint32_t j = 0; j < n; ++j, out += 3) {
    std::uint32_t p = x + j;
    const std::uint8_t* unit = row + 4 * std::size_t{p / 2};
    out[0] = unit[p & 1];
    out[1] = unit[2];
    out[2] = unit[3];
  }
}
void DecodeUnits444(const std::uint8_t* row, std::uint32_t x, std::uint32_t n, std::uint8_t* out) {
  std::memcpy(out, row + 3 * std::size_t{x}, 3 * std::size_t{n});
}

struct LoadKind {
  Between between;
  Decode decode;
};
// By LoadPixels.
constexpr LoadKind kLoadKinds[] = {
    {Between::kGrey, DecodeGrey},   {Between::kBgr24, DecodeBgr555},  {Between::kBgr24, DecodeBgr24},
    {Between::kBgr32, DecodeBgr32}, {Between::kBgr24, DecodeRgb24},   {Between::kBgr32, DecodeRgb32},
    {Between::kYcc, DecodeUnits422}, {Between::kYcc, DecodeUnits444},
};

// A YUV frame's line holds span.pixels pixels from span.first (the frame's, so that
// a boundary pair's other pixel keeps its luma); an RGB frame's line the run only.
using Store = void (*)(const std::uint8_t*, std::uint32_t, PairSpan, std::uint8_t*, std::uint8_t*);

void GreyYuv(const std::uint8_t* s, std::uint32_t n, PairSpan span, std::uint8_t* l, std::uint8_t*) {
  for (std::uint32_t i = 0; i < n; ++i) l[2 * (span.lead + i)] = s[i];
  for (std::uint32_t k = 0; k < span.pixels; ++k) l[2 * k + 1] = kNeutralChroma;
}
void GreyRgb(const std::uint8_t* s, std::uint32_t n, std::uint8_t* l, std::uint32_t step) {
  for (std::uint32_t i = 0; i < n; ++i, l += step) {
    l[0] = l[1] = l[2] = s[i];
    if (step == 4) l[3] = 0;
  }
}
void GreyRgb24(const std::uint8_t* s, std::uint32_t n, PairSpan, std::uint8_t* l, std::uint8_t*) {
  GreyRgb(s, n, l, 3);
}
void GreyRgb32(const std::uint8_t* s, std::uint32_t n, PairSpan, std::uint8_t* l, std::uint8_t*) {
  GreyRgb(s, n, l, 4);
}
void Bgr24Yuv(const std::uint8_t* s, std::uint32_t n, PairSpan span, std::uint8_t* l, std::uint8_t* w) {
  RgbToPairs(s, 24, span, n, w, l);
}
void Bgr24Rgb24(const std::uint8_t* s, std::uint32_t n, PairSpan, std::uint8_t* l, std::uint8_t*) {
  std::memcpy(l, s, std::size_t{n} * 3);
}
void Bgr24Rgb32(const std::uint8_t* s, std::uint32_t n, PairSpan, std::uint8_t* l, std::uint8_t*) {
  Repack(s, 3, n, l, 4, false);
}
void Bgr32Yuv(const std::uint8_t* s, std::uint32_t n, PairSpan span, std::uint8_t* l, std::uint8_t* w) {
  RgbToPairs(s, 32, span, n, w, l);
}
void Bgr32Rgb24(const std::uint8_t* s, std::uint32_t n, PairSpan, std::uint8_t* l, std::uint8_t*) {
  Repack(s, 4, n, l, 3, false);
}
void Bgr32Rgb32(const std::uint8_t* s, std::uint32_t n, PairSpan, std::uint8_t* l, std::uint8_t*) {
  std::memcpy(l, s, std::size_t{n} * 4);
}
void YccYuv(const std::uint8_t* s, std::uint32_t n, PairSpan span, std::uint8_t* l, std::uint8_t*) {
  YccToPairs(s, span, n, l);
}
// Pairs from the run's first pixel, converted whole; the pad pixel is dropped.
void YccRgb(const std::uint8_t* s, std::uint32_t n, std::uint8_t* l, std::uint8_t* w, std::uint16_t bits) {
  const PairSpan own = SpanOf(0, n);
  std::uint8_t* rgb = w + 2 * std::size_t{own.pixels};
  YccToPairs(s, own, n, w);
  if (own.pixels > n) w[2 * std::size_t{n}] = w[2 * std::size_t{n} - 2];
  KT6Yuv2Rgb(w, rgb, own.pixels, bits, 0);
  std::memcpy(l, rgb, std::size_t{n} * (bits / 8));
  if (bits == 32)
    for (std::uint32_t i = 0; i < n; ++i) l[4 * i + 3] = 0;
}
void YccRgb24(const std::uint8_t* s, std::uint32_t n, PairSpan, std::uint8_t* l, std::uint8_t* w) {
  YccRgb(s, n, l, w, 24);
}
void YccRgb32(const std::uint8_t* s, std::uint32_t n, PairSpan, std::uint8_t* l, std::uint8_t* w) {
  YccRgb(s, n, l, w, 32);
}

// [Between][FrameKind]
constexpr Store kStores[][kFrameKinds] = {
    {GreyYuv, GreyRgb24, GreyRgb32},
    {Bgr24Yuv, Bgr24Rgb24, Bgr24Rgb32},
    {Bgr32Yuv, Bgr32Rgb24, Bgr32Rgb32},
    {YccYuv, YccRgb24, YccRgb32},
};

// Each RGB pixel of the line as its grey level in all three colour bytes.
void RgbToGrey(std::uint8_t* line, std::uint32_t count, std::uint32_t step) {
  for (std::uint32_t i = 0; i < count; ++i, line += step) {
    std::uint8_t g;
    KT6Rgb2YCCIR601(line, &g, 1, 0);
    line[0] = line[1] = line[2] = g;
  }
}

}  // namespace

FrameKind FrameKindOf(std::uint8_t pixelMode) {
  switch (pixelMode) {
    case 4:
      return FrameKind::kRgb24;
    case 8:
      return FrameKind::kRgb32;
    default:
      return FrameKind::kYuv;
  }
}

SavePixels SaveFormat(Container container, std::uint16_t code, std::uint8_t pixelMode) {
  const auto c = static_cast<std::size_t>(container);
  if (code == kAsPixelMode) {
    code = 0;
    for (const AsPixelMode& m : kFormat4)
      if (m.mode == pixelMode) code = m.code[c];
  }
  for (const SaveCode& s : kSaveCodes)
    if (s.code == code) return s.pixels[c];
  return SavePixels::kNone;
}

std::uint32_t SaveBytesPerPixel(SavePixels pixels) { return kSaveBytes[static_cast<std::size_t>(pixels)]; }

std::uint32_t SaveRowBytes(SavePixels pixels, std::uint32_t width) {
  if (pixels == SavePixels::kYCbCr) return (width + 1) / 2 * 4;
  return SaveBytesPerPixel(pixels) * width;
}

std::uint32_t LineBytes(std::uint32_t count) { return 4 * count + 4; }

void ConvertForSave(SavePixels pixels, FrameKind frame, std::uint8_t* line, std::uint32_t count, std::uint8_t* row,
                    std::uint8_t* scratch) {
  SaveRow convert = kSaveRows[static_cast<std::size_t>(pixels)][frame == FrameKind::kYuv ? 0 : 1];
  if (convert) convert(frame, line, count, row, scratch);
}

std::uint32_t LoadWorkBytes(std::uint32_t count) { return RgbPairsWork(SpanOf(1, count)); }

void ConvertForLoad(LoadPixels pixels, FrameKind frame, const std::uint8_t* row, std::uint32_t srcX,
                    std::uint32_t count, std::uint32_t dstX, LoadGrey grey, std::uint8_t* line, std::uint8_t* scratch,
                    std::uint8_t* work) {
  const LoadKind& kind = kLoadKinds[static_cast<std::size_t>(pixels)];
  const PairSpan span = SpanOf(dstX, count);
  kind.decode(row, srcX, count, scratch);
  kStores[static_cast<std::size_t>(kind.between)][Index(frame)](scratch, count, span, line, work);
  if (frame == FrameKind::kYuv) {
    if (grey.yuv)
      for (std::uint32_t k = 0; k < span.pixels; ++k) line[2 * k + 1] = kNeutralChroma;
  } else if (grey.rgb && kind.between != Between::kGrey) {
    RgbToGrey(line, count, Step(frame));
  }
}

}  // namespace kt6::image_file
