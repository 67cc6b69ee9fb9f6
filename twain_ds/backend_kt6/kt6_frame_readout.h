// The 650-series side of the transfers: the board's video frame read out of
// display memory, and its BMP file.
#pragma once

#include "platform/win_types.h"
#include "twain_ds/capture_backend.h"

namespace twain_ds {

bool Kt6ImageSize(TransferImage* image);
BOOL Kt6GetVideoData(BYTE* destination, int x, int y, int width, int height, int bitsPerPixel, BOOL topDown);
bool Kt6WriteFile(const char* path);
// A fresh strobed single frame before a read, in the builds that take one.
void Kt6Recapture();

// Reverses the order of `rows` rows of rowBytes bytes in place.
void ReverseRows(BYTE* rows, std::size_t rowBytes, int count);

}  // namespace twain_ds
