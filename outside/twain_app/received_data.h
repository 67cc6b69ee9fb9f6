// What the test application receives from a source: the extent of capability
// containers and packed DIBs, read from their own headers, and a DIB as a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "twain_ds/twain.h"

namespace twain_app {

using Bytes = std::vector<std::uint8_t>;

// The length a container's own header gives, never more than the block the source
// allocated when that is known (allocated 0: unknown).
std::size_t ContainerLength(TW_UINT16 conType, const std::uint8_t* container, std::size_t allocated);
// A packed DIB's length from its BITMAPINFOHEADER: header, palette and rows; never
// more than allocated when that is known.
std::size_t DibLength(const std::uint8_t* dib, std::size_t allocated);

// A packed DIB as a BMP file, for people to look at; false when it cannot be written.
bool WriteDibAsBmp(const Bytes& dib, const std::string& path);

}  // namespace twain_app
