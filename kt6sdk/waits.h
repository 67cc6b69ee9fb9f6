// The library's own waits, without the exports' checks of the open board.
#pragma once

#include <cstdint>

namespace kt6 {

// 0, or -35 when no vertical sync comes within 200 ms.
std::int32_t WaitForVSync();
// 0 at the start of the display's next vertical retrace; -35 when none comes
// within 200 ms, counted over the whole wait.
std::int32_t WaitForVGARetrace();
// The board's status byte as polled: the general-purpose port on board types 0 to 2,
// the status device's byte on types 3 to 5 (after its revision byte from type 4 on);
// bit 7 the field.
std::uint8_t BoardStatusByte();

}  // namespace kt6
