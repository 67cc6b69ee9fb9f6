// TGA files from outside through the 700-series TGA codec: any bytes load into
// memory in any pixel code, or are refused, without a write outside the image.
#include "fuzz/image_load_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fuzzing;
  const std::string& path = InputFile(data, size);
  rg7::ImageFileManager& m = rg7::TheImageFileManager();
  std::uint16_t w, h, bits;
  m.InquireTga(path.c_str(), &w, &h, &bits);
  const std::int32_t code = CodeFor(data, size, 7);
  LoadTarget target;
  m.TgaImageFile::Load(path.c_str(), kLoadX, 0, kLoadWidth, kLoadHeight, kLoadPitch, code, target.data());
  target.Check(UnitOf(code));
  return 0;
}
