// JPEG files through the codec library, which is loaded for each call and freed
// before it returns. The codec pulls (save) or pushes (load) YUV 4:2:2 lines
// through callbacks that carry no context, so the line buffer and the load's
// origin are process-wide and JPEG calls run one at a time under one lock.
#include <algorithm>
#include <cstring>
#include <mutex>

#include <strings.h>

#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/overlay.h"
#include "kt6sdk/pixel_access.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/yuv_pairs.h"
#include "outside/zpjpeg32/zpjpeg32.h"
#include "platform/global_memory.h"
#include "platform/module_loader.h"

namespace kt6 {
namespace {

constexpr char kCodecName[] = "ZPJPEG32.DLL";
constexpr char kCompressEntry[] = "JPEG_Frame2File_Compress";
constexpr char kDecompressEntry[] = "JPEG_File2Frame_Decompress";
constexpr char kInquireEntry[] = "ZPInquireJPGVals";
constexpr char kJpegExtension[] = ".jpg";

constexpr std::uint16_t kFormatAsPixelMode = 4;
constexpr std::uint16_t kFormatGrey = 5;
constexpr std::uint16_t kFormatColour = 7;
constexpr std::uint8_t kPixelModeMono = 1;
constexpr std::uint8_t kPixelModeYuv = 2;
constexpr std::uint16_t kLoadColour = 1;
constexpr std::uint16_t kLoadGrey = 2;
constexpr std::uint32_t kYuvBytesPerPixel = 2;
constexpr std::uint32_t kYccBytesPerPixel = 3;
constexpr std::uint32_t kMaxBytesPerPixel = 4;
constexpr std::uint8_t kNeutralChroma = 0x80;
// What the inquiry reports for the codec's kinds 0 (colour) and 1 (grey).
constexpr std::uint32_t kCodecKindColour = 0, kCodecKindGrey = 1;
constexpr std::uint32_t kKindColourBits = 16, kKindGreyBits = 8;

using CompressFn = decltype(&JPEG_Frame2File_Compress);
using DecompressFn = decltype(&JPEG_File2Frame_Decompress);
using InquireFn = decltype(&ZPInquireJPGVals);

// What the callbacks need of the call in progress.
struct JpegCall {
  std::uint8_t* line = nullptr;  // frame pixels of a line and its pairs
  std::uint8_t* ycc = nullptr;   // a line as Y Cb Cr a pixel
  std::uint8_t* work = nullptr;  // the pairs' conversions
  std::uint32_t line_pixels = 0;
  bool rgb = false;
  std::uint32_t bytes_per_pixel = 0;  // of the capture format when the call began
  std::uint16_t src_x = 0;
  std::uint16_t src_y = 0;
  std::uint16_t dst_y = 0;
};

std::mutex g_jpegLock;
JpegCall g_call;  // guarded by g_jpegLock

// The codec for one call: loaded when made, freed when it goes.
class Codec {
 public:
  Codec() : module_(LoadLibraryA(kCodecName)) {}
  ~Codec() {
    if (module_) FreeLibrary(module_);
  }
  Codec(const Codec&) = delete;
  Codec& operator=(const Codec&) = delete;

  template <class Fn>
  Fn Entry(const char* name) const {
    return module_ ? reinterpret_cast<Fn>(GetProcAddress(module_, name)) : nullptr;
  }

 private:
  HMODULE module_;
};

// The line buffers of one call: frame width pixels and a pair's spare of each kind;
// false when the allocation fails.
class LineBuffer {
 public:
  LineBuffer(const FrameView& frame, bool rgb) {
    g_call = JpegCall{};
    g_call.bytes_per_pixel = frame.bytes_per_pixel;
    g_call.rgb = rgb;
    g_call.line_pixels = frame.width;
    const PairSpan widest = SpanOf(1, frame.width);
    const std::size_t line = std::size_t(widest.pixels) * kMaxBytesPerPixel;
    const std::size_t ycc = std::size_t(widest.pixels) * kYccBytesPerPixel;
    block_ = static_cast<std::uint8_t*>(GlobalAlloc(GMEM_FIXED, line + ycc + RgbPairsWork(widest)));
    if (!block_) return;
    g_call.line = block_;
    g_call.ycc = block_ + line;
    g_call.work = block_ + line + ycc;
  }
  ~LineBuffer() {
    if (block_) GlobalFree(block_);
    g_call = JpegCall{};
  }
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;
  bool Failed() const { return !block_; }

 private:
  std::uint8_t* block_ = nullptr;
};

bool RgbMode(std::uint8_t mode) { return mode == kPixelModeRgb24 || mode == kPixelModeRgb32; }

bool JpegName(const char* file) {
  const char* ext = KT6FindExtension(file);
  return ext && std::strlen(ext) == std::strlen(kJpegExtension) && ::strncasecmp(ext, kJpegExtension, 4) == 0;
}

std::int32_t CodecResult(std::int32_t result) {
  if (result == kJpegOk) return KT6_OK;
  return result == kJpegBadArguments ? KT6_ERR_PARAMETER : KT6_ERR_GENERAL;
}

std::uint16_t SaturatedSum(std::uint16_t a, std::uint16_t b) {
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(std::uint32_t(a) + b, 0xFFFF));
}

// The pixels of a line the call's buffer and the frame's width leave of `count`;
// -34 when the pixel mode changed under the call.
std::int32_t Pixels(std::uint16_t x, std::uint16_t count, std::uint16_t* pixels) {
  FrameView frame;
  if (std::int32_t r = CurrentFrame(&frame)) return r;
  if (frame.bytes_per_pixel != g_call.bytes_per_pixel) return KT6_ERR_PARAMETER;
  std::uint32_t n = x < frame.width ? std::min<std::uint32_t>(count, frame.width - x) : 0;
  n = std::min(n, g_call.line_pixels);
  *pixels = static_cast<std::uint16_t>(n);
  return KT6_OK;
}

// The frame's pairs of `span` on row `row` into the call's line; a pair the frame
// cuts keeps neutral chroma in its missing pixel.
std::int32_t ReadSpan(PairSpan span, std::uint16_t row) {
  std::memset(g_call.line, kNeutralChroma, std::size_t(span.pixels) * kYuvBytesPerPixel);
  return KT6RdPixelLine(static_cast<std::uint16_t>(span.first), row, static_cast<std::uint16_t>(span.pixels),
                        g_call.line);
}

// The codec's lines start a pair at their first pixel, the frame's at even columns.
std::int32_t ReadLine(std::uint16_t x, std::uint16_t row, std::uint16_t count, void* yuv) {
  std::uint16_t n = 0;
  if (std::int32_t r = Pixels(x, count, &n)) return r;
  auto* out = static_cast<std::uint8_t*>(yuv);
  const PairSpan own = SpanOf(0, n);
  if (g_call.rgb) {
    if (std::int32_t r = KT6RdPixelLine(x, row, n, g_call.line)) return r;
    RgbToPairs(g_call.line, 8 * g_call.bytes_per_pixel, own, n, g_call.work, out);
    return KT6_OK;
  }
  const PairSpan span = SpanOf(x, n);
  if (std::int32_t r = ReadSpan(span, row)) return r;
  PairsToYcc(g_call.line, span.lead, n, g_call.ycc);
  YccToPairs(g_call.ycc, own, n, out);
  return KT6_OK;
}

std::int32_t WriteLine(std::uint16_t x, std::uint16_t row, std::uint16_t count, const void* yuv) {
  if (row < g_call.dst_y || row - g_call.dst_y < g_call.src_y) return KT6_OK;
  // Nothing of the line lies right of the source origin.
  if (count <= g_call.src_x) return KT6_OK;
  const auto frameRow = static_cast<std::uint16_t>(row - g_call.src_y);
  std::uint16_t n = 0;
  if (std::int32_t r = Pixels(x, static_cast<std::uint16_t>(count - g_call.src_x), &n)) return r;
  PairsToYcc(static_cast<const std::uint8_t*>(yuv), g_call.src_x, n, g_call.ycc);
  if (g_call.rgb) {
    // Pairs from the run's first pixel, converted whole; the pad pixel is not written.
    const PairSpan own = SpanOf(0, n);
    std::memset(g_call.work, kNeutralChroma, std::size_t(own.pixels) * kYuvBytesPerPixel);
    YccToPairs(g_call.ycc, own, n, g_call.work);
    KT6Yuv2Rgb(g_call.work, g_call.line, own.pixels, static_cast<std::uint16_t>(8 * g_call.bytes_per_pixel), 0);
    return KT6WtPixelLine(x, frameRow, n, g_call.line);
  }
  const PairSpan span = SpanOf(x, n);
  if (std::int32_t r = ReadSpan(span, frameRow)) return r;
  YccToPairs(g_call.ycc, span, n, g_call.line);
  return KT6WtPixelLine(static_cast<std::uint16_t>(span.first), frameRow, static_cast<std::uint16_t>(span.pixels),
                        g_call.line);
}

}  // namespace
}  // namespace kt6

using namespace kt6;

std::int32_t KT6JPEGSave(const char* file, std::uint16_t x, std::uint16_t y, std::uint16_t width, std::uint16_t height,
                         std::uint16_t format, std::uint8_t option1, std::uint8_t option2, std::uint32_t option3,
                         std::uint16_t option4) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  std::lock_guard lock(g_jpegLock);
  Codec codec;
  auto compress = codec.Entry<CompressFn>(kCompressEntry);
  if (!compress) return KT6_ERR_NOT_SUPPORTED;
  const std::uint8_t mode = g_state.config.pixel_mode;
  if (format == kFormatAsPixelMode) {
    // The RGB modes' lines reach the codec as colour YUV 4:2:2.
    if (mode == kPixelModeMono)
      format = kFormatGrey;
    else if (mode == kPixelModeYuv || RgbMode(mode))
      format = kFormatColour;
  }
  if (format != kFormatGrey && format != kFormatColour) return KT6_ERR_PARAMETER;
  FrameView frame;
  if (CurrentFrame(&frame) || x >= frame.width || y >= frame.height || !JpegName(file)) return KT6_ERR_PARAMETER;
  width = static_cast<std::uint16_t>(std::min<std::uint32_t>(width, frame.width - x));
  height = static_cast<std::uint16_t>(std::min<std::uint32_t>(height, frame.height - y));
  if (!width || !height) return KT6_ERR_PARAMETER;
  const bool grey = format == kFormatGrey;
  JPEGSaveOptions options{option1, option2, grey ? kJpegSamplingGrey : kJpegSamplingColour, option3, option4, {}};
  LineBuffer buffer(frame, RgbMode(mode));
  if (buffer.Failed()) return KT6_ERR_NO_MEMORY;
  return CodecResult(
      compress(ReadLine, JPEGRegion{x, y, width, height}, grey ? kJpegGrey : kJpegColour, options, file));
}

std::int32_t KT6JPEGLoad(const char* file, std::uint16_t srcX, std::uint16_t srcY, std::uint16_t dstX,
                         std::uint16_t dstY, std::uint16_t width, std::uint16_t height, std::uint16_t mode,
                         std::uint32_t loadValue1, std::uint32_t loadValue2) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  std::lock_guard lock(g_jpegLock);
  Codec codec;
  auto decompress = codec.Entry<DecompressFn>(kDecompressEntry);
  if (!decompress) return KT6_ERR_NOT_SUPPORTED;
  if (mode != kLoadColour && mode != kLoadGrey) return KT6_ERR_PARAMETER;
  FrameView frame;
  if (CurrentFrame(&frame) || dstX >= frame.width || dstY >= frame.height || !JpegName(file)) return KT6_ERR_PARAMETER;
  width = static_cast<std::uint16_t>(std::min<std::uint32_t>(width, frame.width - dstX));
  height = static_cast<std::uint16_t>(std::min<std::uint32_t>(height, frame.height - dstY));
  if (!width || !height) return KT6_ERR_PARAMETER;
  LineBuffer buffer(frame, RgbMode(g_state.config.pixel_mode));
  if (buffer.Failed()) return KT6_ERR_NO_MEMORY;
  g_call.src_x = srcX;
  g_call.src_y = srcY;
  g_call.dst_y = dstY;
  JPEGRegion region{dstX, dstY, SaturatedSum(srcX, width), SaturatedSum(srcY, height)};
  return CodecResult(
      decompress(file, region, mode == kLoadColour ? kJpegColour : kJpegGrey, WriteLine, loadValue1, loadValue2));
}

std::int32_t KT6InquireJPEGVals(const char* file, std::uint32_t* width, std::uint32_t* height, std::uint32_t* kind,
                                std::uint32_t* xDensity, std::uint32_t* yDensity) {
  if (!g_state.initialised.load()) return KT6_ERR_GENERAL;
  std::lock_guard lock(g_jpegLock);
  Codec codec;
  auto inquire = codec.Entry<InquireFn>(kInquireEntry);
  if (!inquire) return KT6_ERR_NOT_SUPPORTED;
  std::int32_t result = inquire(file, width, height, kind, xDensity, yDensity);
  if (result == kJpegOk && *kind == kCodecKindColour)
    *kind = kKindColourBits;
  else if (result == kJpegOk && *kind == kCodecKindGrey)
    *kind = kKindGreyBits;
  return CodecResult(result);
}
