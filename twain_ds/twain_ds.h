// The data source's one export: the TWAIN entry point that a source manager calls
// with every operation triplet.
#pragma once

#include "twain_ds/twain.h"

#define TWAIN_DS_API __attribute__((visibility("default")))

extern "C" {
TWAIN_DS_API TW_UINT16 DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData);
}
