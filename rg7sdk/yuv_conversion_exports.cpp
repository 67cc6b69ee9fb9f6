// The exported YUV 4:2:2 conversions: the rows behind the image-file manager's
// converters (which use nothing of the object), called straight, since
// applications call these once a line.
#include "rg7sdk/rg7sdk.h"
#include "yuv_rows/yuv_rows.h"

namespace {

template <class Out>
void Convert(void (*row)(const std::uint8_t*, Out*, int), const std::uint8_t* source, Out* destination,
             std::int32_t count) {
  if (source && destination && count > 0) row(source, destination, count);
}

const yuv::YuvRows& Rows() { return yuv::FastestYuvRows(); }

}  // namespace

void RG7Yuv2RgbCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  Convert(Rows().to_bgrx, source, destination, count);
}
void RG7Yuv2Rgb888xCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  Convert(Rows().to_bgrx, source, destination, count);
}
void RG7YuvCCIR601_422ToRgb888x(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  Convert(Rows().to_bgrx, source, destination, count);
}
void RG7YuvCCIR601_422ToRgb888(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  Convert(Rows().to_bgrx, source, destination, count);
}
void RG7Yuv2Rgb24bitCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  Convert(Rows().to_bgr, source, destination, count);
}
void RG7Yuv2Rgb888CCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  Convert(Rows().to_bgr, source, destination, count);
}
void RG7Yuv2Rgb555CCIR601_422(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count) {
  Convert(Rows().to_rgb555, source, destination, count);
}
void RG7YuvCCIR601_422ToRgb555(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count) {
  Convert(Rows().to_rgb555, source, destination, count);
}
void RG7YuvCCIR601_422ToY(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count) {
  Convert(Rows().to_luma, source, destination, count);
}
