// The exported YUV 4:2:2 conversions: thin wrappers over the row converters.
#include "rg7sdk/pixel_converter.h"
#include "rg7sdk/rg7sdk.h"

namespace {

// The converters use nothing of their object; each call has its own.
class RowConverter final : public rg7::PixelConverter {};

bool Usable(const void* source, const void* destination, std::int32_t count) {
  return source && destination && count > 0;
}

void ToRgb32(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  if (!Usable(source, destination, count)) return;
  RowConverter().Yuv422ToRgbRow(source, destination, count, 32, 0, 0);
}

void ToRgb24(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  if (!Usable(source, destination, count)) return;
  RowConverter().Yuv422ToRgbRow(source, destination, count, 24, 0, 0);
}

void ToRgb555(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count) {
  if (!Usable(source, destination, count)) return;
  RowConverter().Yuv422ToRgb555Row(source, destination, count);
}

}  // namespace

void RG7Yuv2RgbCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  ToRgb32(source, destination, count);
}
void RG7Yuv2Rgb888xCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  ToRgb32(source, destination, count);
}
void RG7YuvCCIR601_422ToRgb888x(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  ToRgb32(source, destination, count);
}
void RG7YuvCCIR601_422ToRgb888(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  ToRgb32(source, destination, count);
}
void RG7Yuv2Rgb24bitCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  ToRgb24(source, destination, count);
}
void RG7Yuv2Rgb888CCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  ToRgb24(source, destination, count);
}
void RG7Yuv2Rgb555CCIR601_422(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count) {
  ToRgb555(source, destination, count);
}
void RG7YuvCCIR601_422ToRgb555(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count) {
  ToRgb555(source, destination, count);
}
void RG7YuvCCIR601_422ToY(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  if (!Usable(source, destination, count)) return;
  RowConverter().Yuv422ToLumaRow(destination, source, count);
}
