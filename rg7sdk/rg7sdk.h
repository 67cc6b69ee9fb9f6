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

// Decoder registers over the current board's serial bus. The writes report
// nothing; with no board selected no transaction is made and the reads give 0.
// An FP address is sent as its low 8 bits.
RG7_API void RG7OutByteBt829A(std::uint8_t reg, std::uint8_t value);
RG7_API std::uint8_t RG7InByteBt829A(std::uint8_t reg);
RG7_API void RG7OutByteVPC32x5C(std::uint8_t subaddress, std::uint8_t value);
RG7_API std::uint8_t RG7InByteVPC32x5C(std::uint8_t subaddress);
RG7_API void RG7OutWordVPC32x5C(std::uint8_t subaddress, std::uint16_t value);
RG7_API std::uint16_t RG7InWordVPC32x5C(std::uint8_t subaddress);
RG7_API void RG7OutWordVPC32x5C_FP(std::uint16_t fpAddress, std::uint16_t value);
RG7_API std::uint16_t RG7InWordVPC32x5C_FP(std::uint16_t fpAddress);

}  // extern "C"
