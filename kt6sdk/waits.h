// The library's own waits, without the exports' checks of the open board.
#pragma once

#include <cstdint>

namespace kt6 {

// 0, or -35 when no vertical sync comes within 200 ms.
std::int32_t WaitForVSync();
// 0 at the start of the display's next vertical retrace; -35 when none comes
// within 200 ms, counted over the whole wait.
std::int32_t WaitForVGARetrace();

}  // namespace kt6
