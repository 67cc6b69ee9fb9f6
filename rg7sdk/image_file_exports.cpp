// The RG7 file exports: thin wrappers over the library's one image-file manager.
// They translate the caller's pixel code on the way in and the engine's result on
// the way out, and take the manager's lock, since its header contexts and row
// state are shared by all of them.
#include <cstdint>
#include <mutex>

#include "rg7sdk/image_file_classes.h"
#include "rg7sdk/image_rows.h"
#include "rg7sdk/rg7sdk.h"

namespace {

using rg7::ImageFileManager;

template <class Call>
std::int32_t WithManager(Call call) {
  ImageFileManager& m = rg7::TheImageFileManager();
  std::lock_guard lock(m.Lock());
  return m.MapResult(call(m));
}

// Line i of a memory image lies at (x + i x pitch) units from its start. Lines
// longer than the pitch overlap the next, and an image whose last byte lies
// beyond what an address reaches wraps around the address space: neither is a
// memory image. x moves the whole image and may pass the pitch.
bool IsMemoryImage(std::uint32_t x, std::uint32_t width, std::uint32_t height, std::uint32_t pitch, std::int32_t code) {
  if (width > pitch) return false;
  if (width == 0 || height == 0) return true;
  // Below 2^64 units for any 32-bit values.
  const std::uint64_t units = std::uint64_t{height - 1} * pitch + x + width;
  const std::uint64_t unit = rg7::image_rows::UnitBytes(code);
  return unit == 0 || units <= static_cast<std::uint64_t>(PTRDIFF_MAX) / unit;
}

// The file exports that move a memory image: its geometry is checked before any
// file is opened or created.
template <class Call>
std::int32_t WithMemoryImage(std::uint32_t x, std::uint32_t width, std::uint32_t height, std::uint32_t pitch,
                             std::uint32_t code, Call call) {
  return WithManager([&](ImageFileManager& m) {
    if (!IsMemoryImage(x, width, height, pitch, m.MapPixelCode(code))) return std::int32_t{rg7::kEngineBadCode};
    return call(m);
  });
}

}  // namespace

std::int32_t RG7InquireBMPVals(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits) {
  return WithManager([&](ImageFileManager& m) { return m.InquireBmp(file, width, height, bits); });
}

std::int32_t RG7InquireTGAVals(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits) {
  return WithManager([&](ImageFileManager& m) { return m.InquireTga(file, width, height, bits); });
}

std::int32_t RG7InquireTIFFVals(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits) {
  return WithManager([&](ImageFileManager& m) { return m.InquireTiff(file, width, height, bits); });
}

std::int32_t RG7BMPfile2Memory(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                               std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* buffer) {
  return WithMemoryImage(x, width, height, pitch, code, [&](ImageFileManager& m) {
    return m.BmpImageFile::Load(file, x, y, width, height, pitch, m.MapPixelCode(code), buffer, nullptr);
  });
}

std::int32_t RG7BMPfile2MemoryDIB(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                  std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* bits) {
  return WithMemoryImage(x, width, height, pitch, code, [&](ImageFileManager& m) {
    return m.LoadBmpIntoDib(file, x, y, width, height, pitch, code, bits);
  });
}

std::int32_t RG7Memory2BMPfile(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                               std::uint32_t height, std::uint32_t pitch, std::uint32_t code, const void* buffer) {
  return WithMemoryImage(x, width, height, pitch, code, [&](ImageFileManager& m) {
    return m.BmpImageFile::Save(file, x, y, width, height, pitch, m.MapPixelCode(code), buffer, nullptr);
  });
}

std::int32_t RG7TGAfile2Memory(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                               std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* buffer) {
  return WithMemoryImage(x, width, height, pitch, code, [&](ImageFileManager& m) {
    return m.TgaImageFile::Load(file, x, y, width, height, pitch, m.MapPixelCode(code), buffer);
  });
}

std::int32_t RG7Memory2TGAfile(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                               std::uint32_t height, std::uint32_t pitch, std::uint32_t code, const void* buffer) {
  return WithMemoryImage(x, width, height, pitch, code, [&](ImageFileManager& m) {
    return m.TgaImageFile::Save(file, x, y, width, height, pitch, m.MapPixelCode(code), buffer);
  });
}

std::int32_t RG7TIFFfile2Memory(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* buffer) {
  return WithMemoryImage(x, width, height, pitch, code, [&](ImageFileManager& m) {
    return m.TiffImageFile::Load(file, x, y, width, height, pitch, m.MapPixelCode(code), buffer);
  });
}

std::int32_t RG7Memory2TIFFfile(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                                std::uint32_t height, std::uint32_t pitch, std::uint32_t code, const void* buffer) {
  return WithMemoryImage(x, width, height, pitch, code, [&](ImageFileManager& m) {
    return m.TiffImageFile::Save(file, x, y, width, height, pitch, m.MapPixelCode(code), buffer);
  });
}
