// The 700-series side of the transfers: the image window, the frame read-out out
// of the overlay surface that the board's DMA fills, and the BMP file of a frame.
#pragma once

#include <cstddef>

#include "platform/win_types.h"
#include "twain_ds/capture_backend.h"

namespace twain_ds {

// After the freeze, the grab (or the strobe sequence that ends it) needs this
// long before the surface holds a still frame.
inline constexpr DWORD kFreezeSettleMilliseconds = 250;

// The read-out of a still surface: copies height rows of 2 x width bytes
// (YUV 4:2:2) from surface + y x pitch + 2x into yuv, then converts them into
// destination as GetVideoData delivers them (CaptureBackend::get_video_data).
// The caller keeps the rectangle inside the surface.
void ReadOutFrame(const BYTE* surface, std::size_t pitch, int x, int y, int width, int height, int bitsPerPixel,
                  bool topDown, BYTE* yuv, BYTE* destination);

// The entries of kRg7Backend.
bool Rg7ImageSize(TransferImage* image);
BOOL Rg7GetVideoData(BYTE* destination, int x, int y, int width, int height, int bitsPerPixel, BOOL topDown);
bool Rg7WriteFile(const char* path);

}  // namespace twain_ds
