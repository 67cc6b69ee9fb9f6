#include "kt6sdk/imagefile/tiff_format.h"

namespace fio::tiff {

std::uint64_t RowBytes(const FIOTIFFDesc& desc) {
  // Wide enough for any 16- and 32-bit fields a file can hold.
  using Wide = unsigned __int128;
  Wide width = desc.image_width;
  Wide bits = desc.bits_per_sample;
  Wide horizontal = desc.ycbcr_subsampling[0];
  Wide bytes;
  if (desc.photometric == kPhotometricYCbCr && horizontal > 0) {
    Wide units = (width + horizontal - 1) / horizontal;
    bytes = (units * (horizontal + 2) * bits + 7) / 8;
  } else {
    bytes = (Wide{desc.samples_per_pixel} * bits * width + 7) / 8;
  }
  return bytes > UINT64_MAX ? UINT64_MAX : static_cast<std::uint64_t>(bytes);
}

}  // namespace fio::tiff
