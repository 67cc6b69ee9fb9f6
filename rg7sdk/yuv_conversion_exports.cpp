// The exported YUV 4:2:2 conversions: thin wrappers over the row converters of
// the library's image-file manager. The converters use nothing of the object, so
// these calls need not take its lock.
#include "rg7sdk/image_file_classes.h"
#include "rg7sdk/rg7sdk.h"

namespace {

rg7::PixelConverter& Converter() { return rg7::TheImageFileManager(); }

bool Usable(const void* source, const void* destination, std::int32_t count) {
  return source && destination && count > 0;
}

void ToRgb32(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  if (!Usable(source, destination, count)) return;
  Converter().Yuv422ToRgbRow(source, destination, count, 32, 0, 0);
}

void ToRgb24(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  if (!Usable(source, destination, count)) return;
  Converter().Yuv422ToRgbRow(source, destination, count, 24, 0, 0);
}

void ToRgb555(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count) {
  if (!Usable(source, destination, count)) return;
  Converter().Yuv422ToRgb555Row(source, destination, count);
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
  Converter().Yuv422ToLumaRow(destination, source, count);
}
