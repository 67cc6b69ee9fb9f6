// The buffered image-file layer and the BMP, TGA and TIFF header and strip calls.
//
// Every call takes a caller-owned record and fills it in place. Memory the layer
// hands out comes from the global heap (movable, zero-filled, locked at once) and
// goes back through GlobalHandle, GlobalUnlock and GlobalFree. Records are
// byte-packed; pointer fields are pointer-sized on this 64-bit build, everything
// else keeps its width. The BMP, TGA and TIFF headers inside them are the bytes as
// stored (little-endian, as this host is).
//
// Each board library carries its own build of this layer. The 650-series build
// exports the calls (FIO_EXPORTS); the 700-series build keeps them inside and
// reads BMP headers with that library's rules (FIO_RG7_BMP_READER).
#pragma once

#include <bit>
#include <cstdint>

#include "kt6sdk/kt6_error_codes.h"

#if defined(FIO_EXPORTS)
#define FIO_API __attribute__((visibility("default")))
#else
#define FIO_API
#endif

static_assert(std::endian::native == std::endian::little, "file records are stored as this host lays them out");

// Largest staging buffer of a stream.
constexpr std::uint32_t FIO_MAX_BUFFER = 8192;

#pragma pack(push, 1)

// A buffered stream over an open file.
struct FIOBufBlock {
  std::uint32_t file_handle;
  std::uint16_t buffer_size;  // a short read replaces it with the count read
  std::uint8_t direction;     // 1 write, 0 read
  std::uint16_t bytes_left;   // write: free bytes; read: unread bytes
  std::uint8_t* buffer;
  std::uint8_t* position;  // next byte to fill (write) or hand out (read)
};
static_assert(sizeof(FIOBufBlock) == 9 + 2 * sizeof(void*));

// ---- BMP ----

struct FIOBmpFileHeader {
  std::uint16_t type;  // "BM"
  std::uint32_t file_size;
  std::uint16_t reserved1;
  std::uint16_t reserved2;
  std::uint32_t pixel_offset;
};
static_assert(sizeof(FIOBmpFileHeader) == 14);

struct FIOBmpInfoHeader {
  std::uint32_t header_size;
  std::int32_t width;
  std::int32_t height;  // positive: rows stored bottom-up
  std::uint16_t planes;
  std::uint16_t bit_count;
  std::uint32_t compression;
  std::uint32_t image_size;
  std::int32_t x_resolution;
  std::int32_t y_resolution;
  std::uint32_t colours_used;
  std::uint32_t colours_important;
};
static_assert(sizeof(FIOBmpInfoHeader) == 40);

constexpr std::uint16_t FIO_BMP_MAGIC = 0x4D42;

struct FIOBMPDesc {
  const char* file_name;
  std::uint16_t file_handle;
  std::uint16_t mode;  // 0 read, 1 write
  FIOBmpFileHeader file_header;
  FIOBmpInfoHeader info_header;
  std::uint16_t palette_entries;
  std::uint8_t* palette;  // entries of blue, green, red, 0
  std::uint32_t reserved;
};
static_assert(sizeof(FIOBMPDesc) == 64 + 2 * sizeof(void*));

// ---- TGA ----

// The image-ID record of image types 24 and 25: 16 bytes in the file, where the
// last four bytes stand for the table pointer of the record in memory.
struct TGAIdRecord {
  std::uint8_t field0;
  std::uint8_t field1;
  std::uint16_t field2;
  std::uint8_t field4;
  std::uint8_t field5;
  std::uint8_t table_flag;  // 1: a table of twelve 32-bit values follows
  std::uint16_t field7;
  std::uint16_t field9;
  std::uint8_t field11;
  std::uint32_t* table;
};
static_assert(sizeof(TGAIdRecord) == 12 + sizeof(void*));
constexpr std::uint32_t FIO_TGA_ID_RECORD_BYTES = 16;
constexpr std::uint32_t FIO_TGA_ID_TABLE_ENTRIES = 12;

struct FIOTGADesc {
  std::uint32_t file_handle;  // 0: none
  const char* file_name;
  std::uint8_t mode;  // 0 read, 1 write
  std::uint8_t colour_map_type;
  std::uint8_t image_type;
  std::uint16_t colour_map_first;
  std::uint16_t colour_map_length;
  std::uint8_t colour_map_entry_size;
  std::uint16_t x_origin;
  std::uint16_t y_origin;
  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t pixel_depth;
  std::uint8_t image_descriptor;
  char* id_text;
  TGAIdRecord* id_record;
  std::uint8_t reserved[8];
};
static_assert(sizeof(FIOTGADesc) == 30 + 3 * sizeof(void*));

// ---- TIFF ----

struct TIFFStripStream;

struct FIOTIFFDesc {
  const char* file_name;
  std::uint16_t file_handle;
  std::uint16_t mode;  // 0 read, 1 write
  std::uint8_t reserved0;
  std::uint32_t entry_count;
  std::uint16_t new_subfile_type;
  std::uint32_t image_width;
  std::uint32_t image_length;
  std::uint16_t bits_per_sample;
  std::uint16_t samples_per_pixel;
  std::uint16_t compression;
  std::uint32_t rows_per_strip;
  std::uint16_t min_sample_value;
  std::uint16_t reserved1;
  std::uint16_t max_sample_value;
  std::uint16_t reserved2;
  std::uint16_t photometric;
  const char* artist;
  const char* date_time;
  const char* host_computer;
  const char* image_description;
  const char* make;
  const char* model;
  // The reader's text and strip pools (an 8-byte reserved field on the 32-bit
  // build, two pointers here).
  void* text_pool;
  void* strip_pool;
  std::uint32_t strip_count;
  std::uint32_t* strip_offsets;
  std::uint32_t* strip_byte_counts;
  std::uint32_t ycbcr_coefficients[6];  // three rationals
  std::uint16_t ycbcr_subsampling[2];   // horizontal, vertical
  std::uint16_t ycbcr_positioning;
  std::uint32_t reference_black_white[12];  // six rationals
  std::uint16_t byte_order;                 // "II" or "MM"
  std::uint16_t version;
  std::uint32_t first_ifd_offset;
  std::uint32_t strip_offsets_entry_position;  // file offsets of the two value fields (write)
  std::uint32_t strip_byte_counts_entry_position;
  std::uint32_t end_of_header;  // where the pixel data starts (write)
  std::uint32_t row_bytes;
  std::uint32_t current_strip;  // write: strip being written; read: strip held, 0xFFFFFFFF none
};
static_assert(sizeof(FIOTIFFDesc) == 149 + 11 * sizeof(void*));

constexpr std::uint16_t FIO_TIFF_LITTLE_ENDIAN = 0x4949;
constexpr std::uint16_t FIO_TIFF_BIG_ENDIAN = 0x4D4D;

#pragma pack(pop)

extern "C" {

// Buffered streams. direction 1 writes, 0 reads; a size above 8192 is taken as
// 8192 and a size of 0 is refused (null).
FIO_API FIOBufBlock* FIOBufRequest(std::uint32_t file_handle, std::uint32_t direction, std::uint32_t size);
// 0, -3 on a read stream, -7 when the file takes fewer bytes than asked.
FIO_API std::int32_t FIOBufWrite(FIOBufBlock* block, const void* source, std::uint32_t count);
// Bytes delivered (fewer at the end of the file), -3 on a write stream, -6 on a read failure.
FIO_API std::int32_t FIOBufRead(FIOBufBlock* block, void* destination, std::uint32_t count);
// Writes what a write stream still holds and frees the stream; -7 when that write
// comes back short (the stream is freed all the same). The file stays open.
FIO_API std::int32_t FIOBufRelease(FIOBufBlock* block);

FIO_API std::int32_t FIORdBMPHeader(FIOBMPDesc* desc);
FIO_API std::int32_t FIOWtBMPHeader(FIOBMPDesc* desc);
FIO_API std::int32_t FIOCloseBMPFile(FIOBMPDesc* desc);

FIO_API std::int32_t FIORdTGAHeader(FIOTGADesc* desc);
FIO_API std::int32_t FIOWtTGAHeader(FIOTGADesc* desc);
FIO_API std::int32_t FIOFreeTGAHeader(FIOTGADesc* desc);

FIO_API std::int32_t FIORdTIFFHeader(FIOTIFFDesc* desc);
FIO_API std::int32_t FIOWtTIFFHeader(FIOTIFFDesc* desc);
FIO_API std::int32_t FIOCloseTIFFFile(FIOTIFFDesc* desc);
FIO_API TIFFStripStream* FIOBufRequestTIFF(FIOTIFFDesc* desc, std::uint32_t direction, std::uint32_t size);
// Copies up to count bytes of image row `row`; returns the row bytes.
FIO_API std::int32_t FIOBufReadTIFF(FIOTIFFDesc* desc, TIFFStripStream* stream, void* destination, std::uint32_t count,
                                    std::int32_t row);
FIO_API std::int32_t FIOBufWriteTIFF(FIOTIFFDesc* desc, TIFFStripStream* stream, const void* source,
                                     std::uint32_t count);
FIO_API std::int32_t FIOEndStripTIFF(FIOTIFFDesc* desc, TIFFStripStream* stream);
FIO_API std::int32_t FIOBufReleaseTIFF(FIOTIFFDesc* desc, TIFFStripStream* stream);

}  // extern "C"
