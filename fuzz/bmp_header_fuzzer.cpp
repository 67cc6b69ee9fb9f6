// BMP files from outside: any bytes must give a header or a refusal, and the rows
// the header announces must read within the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/image_header_fuzzing.h"
#include "kt6sdk/imagefile/fio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = fuzzing::InputFile(data, size);
  FIOBMPDesc d{};
  d.file_name = path.c_str();
  if (FIORdBMPHeader(&d) != 0) {
    FIOCloseBMPFile(&d);
    return 0;
  }
  std::uint64_t row =
      (std::uint64_t{d.info_header.bit_count} * static_cast<std::uint32_t>(d.info_header.width) + 31) / 32 * 4;
  std::vector<std::uint8_t> line(row);
  if (FIOBufBlock* in = FIOBufRequest(d.file_handle, 0, 8192)) {
    for (std::int32_t y = 0; y < d.info_header.height; ++y)
      if (FIOBufRead(in, line.data(), static_cast<std::uint32_t>(row)) <= 0) break;
    FIOBufRelease(in);
  }
  for (std::uint32_t i = 0; i < 4u * d.palette_entries; ++i) line.push_back(d.palette[i]);
  FIOCloseBMPFile(&d);
  return 0;
}
