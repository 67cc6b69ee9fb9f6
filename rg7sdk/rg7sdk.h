// Public interface of the 700-series (RG-700) SDK library.
#pragma once

#include <cstdint>

#define RG7_API __attribute__((visibility("default")))

// Status codes of the exports: 0 success, a small negative code for failure.
enum RG7ErrorCode : std::int32_t {
  RG7_OK = 0,
  RG7_ERR_DRIVER = -100,          // driver request failed
  RG7_ERR_PARAMETER = -101,       // bad parameter
  RG7_ERR_NOT_OPEN = -102,        // board not open, no board or driver missing
  RG7_ERR_NO_MEMORY = -107,
  RG7_ERR_NOT_CONFIGURED = -108,  // camera not configured or not initialised
  RG7_ERR_ARMED = -111,
  RG7_ERR_PAGE_TABLE = -112,      // buffer too large for the transfer page table
  RG7_ERR_GRAB_RUNNING = -113,
  RG7_ERR_GRAB_NOT_RUNNING = -114,
  RG7_ERR_NO_SIGNAL = -115,
  RG7_ERR_DECODER = -200,         // not supported by the fitted decoder
};

extern "C" {

// Raw bridge registers of the current board: 0-24 are dwords, 25 and up bytes.
RG7_API std::uint32_t IHW_SetRegister(std::uint32_t index, std::uint32_t value);
RG7_API std::uint32_t IHW_GetRegister(std::uint32_t index);

// PCI configuration dwords of the current board. Both return 0.
RG7_API std::uint32_t SetPCIDWord(std::uint32_t offset, std::uint32_t value);
RG7_API std::uint32_t GetPCIDWord(std::uint32_t offset, std::uint32_t* value);

// YUV 4:2:2 rows (Y0 U Y1 V, CCIR 601 ranges) converted for the caller; counts are
// pixels. The 32-bit forms write B, G, R and leave each pixel's fourth byte as it
// was; RG7YuvCCIR601_422ToRgb888 is one of them (4 bytes a pixel).
RG7_API void RG7Yuv2RgbCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
RG7_API void RG7Yuv2Rgb888xCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
RG7_API void RG7YuvCCIR601_422ToRgb888x(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
RG7_API void RG7YuvCCIR601_422ToRgb888(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
// 24-bit B, G, R.
RG7_API void RG7Yuv2Rgb24bitCCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
RG7_API void RG7Yuv2Rgb888CCIR601_422(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);
// RGB555 words.
RG7_API void RG7Yuv2Rgb555CCIR601_422(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count);
RG7_API void RG7YuvCCIR601_422ToRgb555(const std::uint8_t* source, std::uint16_t* destination, std::int32_t count);
// Grey: the luma bytes.
RG7_API void RG7YuvCCIR601_422ToY(const std::uint8_t* source, std::uint8_t* destination, std::int32_t count);

}  // extern "C"
