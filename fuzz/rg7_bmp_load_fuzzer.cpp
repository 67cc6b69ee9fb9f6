// BMP files from outside through the 700-series BMP engine: any bytes load into
// memory, a DIB or a line callback in any pixel code, or are refused, without a
// write outside the memory image.
#include "fuzz/image_load_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fuzzing;
  const std::string& path = InputFile(data, size);
  rg7::ImageFileManager& m = rg7::TheImageFileManager();
  std::uint16_t w, h, bits;
  m.InquireBmp(path.c_str(), &w, &h, &bits);
  const std::int32_t code = CodeFor(data, size, 10);
  LoadTarget target;
  switch (WayFor(data, size, 10, 3)) {
    case 0:
      m.BmpImageFile::Load(path.c_str(), kLoadX, 0, kLoadWidth, kLoadHeight, kLoadPitch, code, target.data());
      target.Check(UnitOf(code));
      break;
    case 1:
      // The DIB export takes codes 0 to 6 only.
      m.LoadBmpIntoDib(path.c_str(), kLoadX, 0, kLoadWidth, kLoadHeight, kLoadPitch, static_cast<std::uint32_t>(code),
                       target.data());
      target.Check(code <= 6 ? UnitOf(code) : 1);
      break;
    default: {
      auto line = [](std::uint32_t column, std::uint32_t index, std::uint32_t count, const std::uint8_t* pixels,
                     void*) {
        if (column != 0 || index >= kLoadHeight || count > kLoadWidth) std::abort();
        volatile std::uint8_t sink = count ? pixels[count - 1] : 0;
        (void)sink;
      };
      m.BmpImageFile::Load(path.c_str(), 0, 0, kLoadWidth, kLoadHeight, kLoadPitch, code, nullptr, line);
    }
  }
  return 0;
}
