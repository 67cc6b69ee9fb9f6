// TGA files from outside through the 650-series load: any bytes load into the
// frame in any pixel mode, or are refused, without a write outside the frame.
#include "fuzz/kt6_load_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using fuzzing::kt6_load::Load;
  return fuzzing::kt6_load::Run(
      data, size, ".tga",
      [](const char* file) {
        std::uint16_t w, h, bits;
        KT6InquireTGAVals(file, &w, &h, &bits);
      },
      [](const char* file, const Load& l) {
        KT6TGALoad(file, l.src_x, l.src_y, l.dst_x, l.dst_y, l.width, l.height, l.mode);
      });
}
