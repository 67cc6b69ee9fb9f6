// TIFF files from outside: any bytes must give a header or a refusal, and every
// row the header announces must read through the strip calls without leaving the
// buffers, with the stream buffer both larger and smaller than a strip.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/image_header_fuzzing.h"
#include "kt6sdk/imagefile/fio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = fuzzing::InputFile(data, size);
  FIOTIFFDesc d{};
  d.file_name = path.c_str();
  if (FIORdTIFFHeader(&d) != 0) {
    FIOCloseTIFFFile(&d);
    return 0;
  }
  volatile std::size_t sink = 0;
  for (const char* text : {d.artist, d.date_time, d.host_computer, d.image_description, d.make, d.model})
    if (text) sink = sink + std::strlen(text);
  // Rows are bounded by the file's size, so a huge row count stops at the first failure.
  const std::uint32_t row_bytes = d.row_bytes;  // a copy: the record is byte-packed
  std::vector<std::uint8_t> row(std::min<std::uint32_t>(row_bytes, 1u << 20));
  for (std::uint32_t buffer : {8192u, 64u}) {
    TIFFStripStream* s = FIOBufRequestTIFF(&d, 0, buffer);
    if (!s) break;
    for (std::uint32_t y = 0; y < d.image_length && y < 4096; ++y)
      if (FIOBufReadTIFF(&d, s, row.data(), static_cast<std::uint32_t>(row.size()), static_cast<std::int32_t>(y)) < 0)
        break;
    FIOBufReleaseTIFF(&d, s);
    if (d.file_handle == 0) break;  // a failed read closed the file
  }
  FIOCloseTIFFFile(&d);
  return 0;
}
