// Global memory. A block is ordinary heap memory and its handle is the block's own
// address, so a receiver outside the system may release it with free().
#pragma once

#include "platform/win_types.h"

extern "C" {
PLATFORM_EXPORT HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
PLATFORM_EXPORT LPVOID GlobalLock(HGLOBAL memory);
PLATFORM_EXPORT BOOL GlobalUnlock(HGLOBAL memory);
// Null on success, the handle on failure.
PLATFORM_EXPORT HGLOBAL GlobalFree(HGLOBAL memory);
PLATFORM_EXPORT HGLOBAL GlobalHandle(LPCVOID memory);
// The size GlobalAlloc was asked for; 0 for a block it did not allocate. Only for
// blocks not yet released: one that a peer released with free() is not known to be gone.
PLATFORM_EXPORT SIZE_T GlobalSize(HGLOBAL memory);
}

namespace platform {
// Blocks allocated and not yet freed through GlobalFree (for leak checks in tests).
PLATFORM_EXPORT std::size_t LiveGlobalBlocks();
}  // namespace platform
