// JPEG files from outside through the codec library's decoder and inquiry: any
// bytes decode into lines of the region's shape, or are refused, without ending
// the process.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "outside/zpjpeg32/jpeg_coding.h"

namespace {

constexpr std::uint16_t kLeft = 3, kTop = 5, kRight = 96, kBottom = 64;

std::int32_t CheckLine(std::uint16_t x, std::uint16_t row, std::uint16_t count, const void* yuv) {
  if (x != kLeft || row < kTop || row >= kTop + kBottom || count == 0 || count > kRight) std::abort();
  // The whole line is readable.
  const auto* p = static_cast<const std::uint8_t*>(yuv);
  volatile std::uint8_t sink = p[0] ^ p[2 * std::size_t(count) - 1];
  (void)sink;
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  for (bool colour : {true, false}) {
    std::FILE* in = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!in) return 0;
    zpjpeg::DecompressFrom(in, JPEGRegion{kLeft, kTop, kRight, kBottom}, colour, CheckLine, data[0] % 3);
    std::fclose(in);
  }
  std::FILE* in = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (!in) return 0;
  std::uint32_t w, h, kind, xd, yd;
  zpjpeg::InquireFrom(in, &w, &h, &kind, &xd, &yd);
  std::fclose(in);
  return 0;
}
