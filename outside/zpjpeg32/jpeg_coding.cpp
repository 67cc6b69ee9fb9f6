// JFIF coding over libjpeg. libjpeg reports errors through an error manager whose
// default ends the process; ours jumps back to the call that started the work,
// which destroys the coder and reports -1. Between the jump point and the jump only
// plain data lives (buffers come from libjpeg's own pools), so nothing is skipped
// that needed a destructor.
#include "outside/zpjpeg32/jpeg_coding.h"

#include <jpeglib.h>

#include <array>
#include <csetjmp>
#include <cstring>

namespace zpjpeg {
namespace {

constexpr int kStudioBlack = 16;
constexpr int kStudioLumaSpan = 219;    // 16 .. 235
constexpr int kStudioChromaSpan = 224;  // 16 .. 240
constexpr int kChromaZero = 128;
constexpr int kDefaultQuality = 75;
constexpr UINT16 kDotsPerInch = 1;
constexpr UINT16 kDotsPerCm = 2;
constexpr long kMaxDecoderMemory = 256L << 20;

struct RangeTables {
  std::array<JSAMPLE, 256> luma_to_full, chroma_to_full, luma_to_studio, chroma_to_studio;
};

JSAMPLE Clamp(double v) { return static_cast<JSAMPLE>(v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v + 0.5)); }

// Studio range (Y 16-235, chroma 16-240 about 128) to JFIF's full range and back.
const RangeTables& Range() {
  static const RangeTables tables = [] {
    RangeTables t;
    for (int i = 0; i < 256; ++i) {
      t.luma_to_full[i] = Clamp((i - kStudioBlack) * 255.0 / kStudioLumaSpan);
      t.chroma_to_full[i] = Clamp((i - kChromaZero) * 255.0 / kStudioChromaSpan + kChromaZero);
      t.luma_to_studio[i] = Clamp(i * double(kStudioLumaSpan) / 255.0 + kStudioBlack);
      t.chroma_to_studio[i] = Clamp((i - kChromaZero) * double(kStudioChromaSpan) / 255.0 + kChromaZero);
    }
    return t;
  }();
  return tables;
}

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void JumpBack(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }

// Warnings (damaged data that libjpeg would patch over) are counted, not printed.
void CountWarning(j_common_ptr cinfo, int level) {
  if (level < 0) ++cinfo->err->num_warnings;
}

void Silent(j_common_ptr) {}

jpeg_error_mgr* Install(ErrorManager* err) {
  jpeg_std_error(&err->pub);
  err->pub.error_exit = JumpBack;
  err->pub.emit_message = CountWarning;
  err->pub.output_message = Silent;
  return &err->pub;
}

std::size_t EvenPixels(std::uint32_t count) { return (count + 1u) & ~std::size_t{1}; }

// One YUV 4:2:2 line in studio range to a JFIF row: Y, Cb, Cr a pixel (each pair's
// chroma twice, which libjpeg's 2x1 downsampling gives back exactly), or grey.
void ToFull(const JSAMPLE* yuv, JSAMPLE* row, std::uint32_t count, bool colour) {
  const RangeTables& t = Range();
  for (std::uint32_t i = 0; i < count; ++i) {
    const JSAMPLE* pair = yuv + 4 * std::size_t(i / 2);
    if (!colour) {
      row[i] = t.luma_to_full[yuv[2 * std::size_t(i)]];
      continue;
    }
    JSAMPLE* p = row + 3 * std::size_t(i);
    p[0] = t.luma_to_full[yuv[2 * std::size_t(i)]];
    p[1] = t.chroma_to_full[pair[1]];
    p[2] = t.chroma_to_full[pair[3]];
  }
}

// A decoded row (3 components or 1) to `count` pixels of studio-range YUV 4:2:2;
// each pair's chroma is the mean of its two pixels.
void ToStudio(const JSAMPLE* row, int components, std::uint32_t width, JSAMPLE* yuv, std::uint32_t count) {
  const RangeTables& t = Range();
  for (std::uint32_t i = 0; i < count; ++i) {
    const JSAMPLE* p = row + std::size_t(i) * components;
    yuv[2 * std::size_t(i)] = t.luma_to_studio[p[0]];
    if (i % 2) continue;
    JSAMPLE* c = yuv + 2 * std::size_t(i) + 1;
    if (components == 1) {
      c[0] = c[2] = kChromaZero;
      continue;
    }
    const JSAMPLE* q = i + 1 < width ? p + components : p;
    c[0] = t.chroma_to_studio[(p[1] + q[1] + 1) / 2];
    c[2] = t.chroma_to_studio[(p[2] + q[2] + 1) / 2];
  }
}

void FillNeutral(JSAMPLE* yuv, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i) {
    yuv[2 * i] = kStudioBlack;
    yuv[2 * i + 1] = kChromaZero;
  }
}

void SetUp(jpeg_compress_struct* c, JPEGRegion region, bool colour, const JPEGSaveOptions& options) {
  c->image_width = region.right;
  c->image_height = region.bottom;
  c->input_components = colour ? 3 : 1;
  c->in_color_space = colour ? JCS_YCbCr : JCS_GRAYSCALE;
  jpeg_set_defaults(c);
  jpeg_set_colorspace(c, colour ? JCS_YCbCr : JCS_GRAYSCALE);
  if (colour) {
    c->comp_info[0].h_samp_factor = 2;
    c->comp_info[0].v_samp_factor = 1;
    for (int i = 1; i < 3; ++i) c->comp_info[i].h_samp_factor = c->comp_info[i].v_samp_factor = 1;
  }
  jpeg_set_quality(c, options.option1 ? options.option1 : kDefaultQuality, TRUE);
  std::uint8_t flags = options.option2;
  if (flags & kJpegProgressive) jpeg_simple_progression(c);
  c->optimize_coding = (flags & kJpegOptimised) ? TRUE : FALSE;
  c->restart_interval = static_cast<unsigned>(options.option3);
  std::uint16_t dpi = options.option4;
  if (dpi) {
    c->density_unit = kDotsPerInch;
    c->X_density = c->Y_density = dpi;
  }
}

}  // namespace

std::int32_t CompressTo(std::FILE* out, JPEGLineReader reader, JPEGRegion region, bool colour,
                        const JPEGSaveOptions& options) {
  jpeg_compress_struct c;
  ErrorManager err;
  c.err = Install(&err);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&c);
    return kJpegFailed;
  }
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  SetUp(&c, region, colour, options);
  jpeg_start_compress(&c, TRUE);
  const std::size_t even = EvenPixels(region.right);
  auto* yuv = static_cast<JSAMPLE*>((*c.mem->alloc_large)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE, 2 * even));
  JSAMPROW row = static_cast<JSAMPLE*>(
      (*c.mem->alloc_large)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE, 3 * std::size_t(region.right)));
  while (c.next_scanline < c.image_height) {
    FillNeutral(yuv, even);
    auto y = static_cast<std::uint16_t>(region.top + c.next_scanline);
    if (reader(region.left, y, region.right, yuv) != 0) {
      jpeg_destroy_compress(&c);
      return kJpegFailed;
    }
    ToFull(yuv, row, region.right, colour);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return kJpegOk;
}

std::int32_t DecompressFrom(std::FILE* in, JPEGRegion region, bool colour, JPEGLineWriter writer,
                            std::uint32_t dctMethod) {
  jpeg_decompress_struct d;
  ErrorManager err;
  d.err = Install(&err);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&d);
    return kJpegFailed;
  }
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, in);
  jpeg_read_header(&d, TRUE);
  // A damaged header can ask for a whole-image buffer far beyond any frame.
  d.mem->max_memory_to_use = kMaxDecoderMemory;
  d.out_color_space = colour && d.num_components != 1 ? JCS_YCbCr : JCS_GRAYSCALE;
  d.dct_method = static_cast<J_DCT_METHOD>(dctMethod);
  // Each pair's chroma comes back as it was stored, not interpolated.
  d.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&d);
  const std::uint32_t width = d.output_width;
  const std::uint32_t count = region.right < width ? region.right : width;
  const std::uint32_t rows = region.bottom < d.output_height ? region.bottom : d.output_height;
  const int components = d.output_components;
  JSAMPARRAY row = (*d.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d), JPOOL_IMAGE,
                                          width * static_cast<JDIMENSION>(components), 1);
  auto* yuv = static_cast<JSAMPLE*>(
      (*d.mem->alloc_large)(reinterpret_cast<j_common_ptr>(&d), JPOOL_IMAGE, 2 * EvenPixels(count)));
  for (std::uint32_t r = 0; r < rows; ++r) {
    jpeg_read_scanlines(&d, row, 1);
    // Rows beyond 16 bits have no address to go to.
    if (region.top + r > 0xFFFF) break;
    ToStudio(row[0], components, width, yuv, count);
    if (writer(region.left, static_cast<std::uint16_t>(region.top + r), static_cast<std::uint16_t>(count), yuv) != 0) {
      jpeg_destroy_decompress(&d);
      return kJpegFailed;
    }
  }
  if (d.output_scanline == d.output_height)
    jpeg_finish_decompress(&d);
  else
    jpeg_abort_decompress(&d);
  const bool damaged = err.pub.num_warnings != 0;
  jpeg_destroy_decompress(&d);
  return damaged ? kJpegFailed : kJpegOk;
}

std::int32_t InquireFrom(std::FILE* in, std::uint32_t* width, std::uint32_t* height, std::uint32_t* kind,
                         std::uint32_t* xDensity, std::uint32_t* yDensity) {
  jpeg_decompress_struct d;
  ErrorManager err;
  d.err = Install(&err);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&d);
    return kJpegFailed;
  }
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, in);
  jpeg_read_header(&d, TRUE);
  *width = d.image_width;
  *height = d.image_height;
  *kind = d.num_components == 1 ? 1 : 0;
  *xDensity = *yDensity = 0;
  if (d.saw_JFIF_marker && d.density_unit == kDotsPerInch) {
    *xDensity = d.X_density;
    *yDensity = d.Y_density;
  } else if (d.saw_JFIF_marker && d.density_unit == kDotsPerCm) {
    *xDensity = static_cast<std::uint32_t>(d.X_density * 2.54 + 0.5);
    *yDensity = static_cast<std::uint32_t>(d.Y_density * 2.54 + 0.5);
  }
  jpeg_destroy_decompress(&d);
  return kJpegOk;
}

}  // namespace zpjpeg
