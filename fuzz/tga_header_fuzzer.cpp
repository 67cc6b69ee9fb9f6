// TGA files from outside: any bytes must give a header or a refusal; the ID text
// and record stay inside what was allocated for them.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/image_header_fuzzing.h"
#include "kt6sdk/imagefile/fio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = fuzzing::InputFile(data, size);
  FIOTGADesc d{};
  d.file_name = path.c_str();
  if (FIORdTGAHeader(&d) == 0) {
    volatile std::size_t sink = d.id_text ? std::strlen(d.id_text) : 0;
    if (d.id_record && d.id_record->table) sink = sink + d.id_record->table[11];
    std::uint8_t pixels[256];
    if (FIOBufBlock* in = FIOBufRequest(d.file_handle, 0, 8192)) {
      while (FIOBufRead(in, pixels, sizeof pixels) > 0) {
      }
      FIOBufRelease(in);
    }
  }
  FIOFreeTGAHeader(&d);
  return 0;
}
