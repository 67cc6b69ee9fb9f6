// The codec's work on open streams, without file names: what the entry points
// call once their arguments are checked, and what the decoder's fuzz target drives.
#pragma once

#include <cstdint>
#include <cstdio>

#include "outside/zpjpeg32/zpjpeg32.h"

namespace zpjpeg {

// The caller has checked the arguments: a non-empty region whose rows and columns
// fit in 16 bits, a known colour type, options in range.
std::int32_t CompressTo(std::FILE* out, JPEGLineReader reader, JPEGRegion region, bool colour,
                        const JPEGSaveOptions& options);
// dctMethod 0 to 2; right and bottom non-zero.
std::int32_t DecompressFrom(std::FILE* in, JPEGRegion region, bool colour, JPEGLineWriter writer,
                            std::uint32_t dctMethod);
std::int32_t InquireFrom(std::FILE* in, std::uint32_t* width, std::uint32_t* height, std::uint32_t* kind,
                         std::uint32_t* xDensity, std::uint32_t* yDensity);

}  // namespace zpjpeg
