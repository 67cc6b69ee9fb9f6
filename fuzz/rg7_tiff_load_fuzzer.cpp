// TIFF files from outside through the 700-series TIFF codec: any bytes load into
// memory in any pixel code, or are refused, without a write outside the image.
#include "fuzz/image_load_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fuzzing;
  const std::string& path = InputFile(data, size);
  rg7::ImageFileManager& m = rg7::TheImageFileManager();
  rg7::TiffHeaderInfo info;
  m.InquireHeader(path.c_str(), &info);
  const std::int32_t code = CodeFor(data, size, 7);
  LoadTarget target;
  m.TiffImageFile::Load(path.c_str(), kLoadX, 0, kLoadWidth, kLoadHeight, kLoadPitch, code, target.data());
  target.Check(UnitOf(code));
  return 0;
}
