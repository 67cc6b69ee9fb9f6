// Address space below 4 GB for what the simulated devices own (register windows,
// board and display memory): the system keeps such addresses in 32-bit fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

namespace sim {

// Reserves `size` bytes below 4 GB. Accessible memory is zero-filled read/write;
// otherwise the range faults on any direct access (register windows, which must be
// reached through the register seam). Aborts when the space cannot be had.
PLATFORM_EXPORT void* MapBelow4G(std::size_t size, bool accessible);
PLATFORM_EXPORT void UnmapBelow4G(void* base, std::size_t size);

}  // namespace sim
