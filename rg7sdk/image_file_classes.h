// The image-file classes of the 700-series library: a BMP, a TGA and a TIFF
// file class over one shared PixelConverter (a virtual base), joined under the
// manager object that the RG7 file exports work on. The library holds exactly one
// manager; its header contexts and row state are therefore module-wide and one
// file call runs at a time (the exports serialise themselves on its lock).
//
// Memory images: buffer, pixel code (RG7PixelCode 0-6; the BMP engine also takes
// 7-9, 16-bit words of 10-, 12- and 16-bit grey), x (column where each line
// starts), pitch (pixels per line), width and height. Line i lies at
// buffer + (x + i x pitch) units; y is not used. Files always give their top-left
// corner: a picture larger than the memory image is clipped.
#pragma once

#include <cstdint>
#include <mutex>

#include "kt6sdk/imagefile/fio.h"
#include "rg7sdk/pixel_converter.h"

namespace rg7 {

// What the engines answer; the file layer's own negative codes pass through.
enum EngineResult : std::int32_t {
  kEngineOk = 0,
  kEngineNoMemory = 1,
  kEngineBadCode = 2,   // pixel code not handled, or a caller's argument unusable
  kEngineBadDepth = 3,  // the file's bit depth is not handled
};

// Load: hands each converted line (line 0 is the top of the kept picture) to the
// callback instead of copying it into the buffer. Save: asks the callback to fill
// `line` with `count` pixels of caller line `line_index`.
using LoadLineCallback = void (*)(std::uint32_t column, std::uint32_t line_index, std::uint32_t count,
                                  const std::uint8_t* line, void* buffer);
using SaveLineCallback = void (*)(std::uint32_t column, std::uint32_t line_index, std::uint32_t count,
                                  std::uint8_t* line, const void* buffer);

class BmpImageFile : public virtual PixelConverter {
 public:
  std::int32_t Load(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                    std::uint32_t pitch, std::int32_t code, void* buffer, LoadLineCallback callback = nullptr);
  std::int32_t Save(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                    std::uint32_t pitch, std::int32_t code, const void* buffer, SaveLineCallback callback = nullptr);

 protected:
  ~BmpImageFile() = default;

 private:
  // Converts W pixels of a stored row; false when the depth and code have no conversion.
  bool ConvertRow(const std::uint8_t* row, std::uint32_t count, std::int32_t code, std::uint8_t* line,
                  std::uint8_t* scratch);
  void TakePalette();

  FIOBMPDesc header_{};
  // The file's colour table as B, G, R, 0, with indices beyond it mapped to entry 0,
  // and the grey value of every entry.
  std::uint8_t palette_[256 * 4]{};
  std::uint8_t grey_table_[256]{};
};

class TgaImageFile : public virtual PixelConverter {
 public:
  std::int32_t Load(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                    std::uint32_t pitch, std::int32_t code, void* buffer, LoadLineCallback callback = nullptr);
  std::int32_t Save(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                    std::uint32_t pitch, std::int32_t code, const void* buffer, SaveLineCallback callback = nullptr);

 protected:
  ~TgaImageFile() = default;

 private:
  FIOTGADesc header_{};
};

#pragma pack(push, 1)
// What the TIFF header query copies out, in this order.
struct TiffHeaderInfo {
  std::uint32_t image_width;
  std::uint32_t image_length;
  std::uint16_t bits_per_sample;
  std::uint16_t samples_per_pixel;
  std::uint16_t compression;
  std::uint32_t rows_per_strip;
  std::uint16_t photometric;
  std::uint16_t ycbcr_subsampling_horizontal;
  std::uint16_t ycbcr_subsampling_vertical;
  std::uint16_t ycbcr_positioning;
};
#pragma pack(pop)
static_assert(sizeof(TiffHeaderInfo) == 26);

class TiffImageFile : public virtual PixelConverter {
 public:
  std::int32_t InquireHeader(const char* file, TiffHeaderInfo* info);
  std::int32_t Load(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                    std::uint32_t pitch, std::int32_t code, void* buffer, LoadLineCallback callback = nullptr);
  std::int32_t Save(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height,
                    std::uint32_t pitch, std::int32_t code, const void* buffer, SaveLineCallback callback = nullptr);

 protected:
  ~TiffImageFile() = default;

 private:
  FIOTIFFDesc header_{};
};

class ImageFileManagerBase : public BmpImageFile, public TgaImageFile, public TiffImageFile {
 public:
  // RG7PixelCode to engine code: -1 for a code the exports refuse.
  virtual std::int32_t MapPixelCode(std::uint32_t code) = 0;
  // Engine result to the exports' status code.
  virtual std::int32_t MapResult(std::int32_t result) = 0;

  // Width, height and bits per pixel of a file; engine results.
  std::int32_t InquireBmp(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits);
  std::int32_t InquireTga(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits);
  std::int32_t InquireTiff(const char* file, std::uint16_t* width, std::uint16_t* height, std::uint16_t* bits);

 protected:
  ~ImageFileManagerBase() = default;

 private:
  // The inquiries' own header contexts.
  FIOBMPDesc bmp_query_{};
  FIOTGADesc tga_query_{};
  FIOTIFFDesc tiff_query_{};
};

// Where a bottom-up DIB load puts its lines.
struct DibTarget {
  std::uint32_t x;
  std::uint32_t y;
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t pitch;  // pixels
  std::uint32_t code;   // engine pixel code
  std::uint32_t bytes_per_pixel;
  std::uint8_t* bits;
};

class ImageFileManager final : public ImageFileManagerBase {
 public:
  ImageFileManager() = default;
  ~ImageFileManager() = default;
  ImageFileManager(const ImageFileManager&) = delete;
  ImageFileManager& operator=(const ImageFileManager&) = delete;

  std::int32_t MapPixelCode(std::uint32_t code) override;
  std::int32_t MapResult(std::int32_t result) override;

  // Loads a BMP file into a bottom-up DIB: the picture's top line lands in the
  // DIB's last row. An engine result.
  std::int32_t LoadBmpIntoDib(const char* file, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                              std::uint32_t height, std::uint32_t pitch, std::uint32_t code, void* bits);

  // Held by every file export for the whole call.
  std::mutex& Lock() { return lock_; }

 private:
  static void DibLineWriter(std::uint32_t column, std::uint32_t line_index, std::uint32_t count,
                            const std::uint8_t* line, void* manager);

  DibTarget dib_target_{};
  std::mutex lock_;
};

// The library's one manager object, built when the library is loaded.
ImageFileManager& TheImageFileManager();

}  // namespace rg7
