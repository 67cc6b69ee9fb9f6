// The SAA7110 decoder of board types 1 and 2, on the serial bus at 0x9C. Its
// registers cannot be read back: the board configuration keeps a shadow of each.
#pragma once

#include <cstdint>

namespace kt6 {

namespace saa7110 {
constexpr std::uint8_t kAddress = 0x9C;
constexpr std::uint8_t kReadAddress = 0x9D;
constexpr std::uint8_t kRegisterCount = 0x35;
constexpr std::uint8_t kControlRegister = 0x0D;
constexpr std::uint8_t kStatusSelect = 0x02;  // in the control register: live status, not identification
}  // namespace saa7110

// The decoder's status byte. A non-zero bracket reads it between the driver's
// serial-bus requests; zero reads its identification instead (the status select
// cleared around the read).
std::uint8_t KT6ReadSAA7110Status(std::uint8_t bracket);

}  // namespace kt6
