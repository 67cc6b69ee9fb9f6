// What every image-file export checks before it touches a file, and its work memory.
#include <strings.h>

#include <algorithm>

#include "kt6sdk/image_file_rows.h"
#include "kt6sdk/imagefile/global_block.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/register_access.h"

namespace kt6::image_file {

std::int32_t CheckExtension(const char* name, const char* extension) {
  const char* dot = KT6FindExtension(name);
  if (!dot || ::strncasecmp(dot, extension, 4) != 0) return KT6_ERR_PARAMETER;
  return KT6_OK;
}

std::int32_t ClipToFrame(const FrameView& frame, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                         std::uint32_t height, Rect* rect) {
  if (x > frame.width || y > frame.height) return KT6_ERR_PARAMETER;
  // In 32 bits: x + width never wraps.
  *rect = Rect{x, y, std::min(width, frame.width - x), std::min(height, frame.height - y)};
  if (rect->width == 0 || rect->height == 0) return KT6_ERR_PARAMETER;
  return KT6_OK;
}

std::uint8_t* AllocRows(std::uint32_t bytes) { return fio::AllocLockedAs<std::uint8_t>(bytes); }

void FreeRows(std::uint8_t* rows) { fio::FreeLocked(rows); }

}  // namespace kt6::image_file
