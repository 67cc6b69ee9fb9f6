// What the transfers keep between triplets: the name of the file transfer and the
// progress of a memory transfer.
#pragma once

#include "twain_ds/twain.h"

namespace twain_ds {

// The file that DAT_SETUPFILEXFER MSG_SET named; empty until then.
extern TW_STR255 g_xferFileName;

// Forgets a memory transfer under way (rows delivered, last strip, call count) and
// frees its frame, so that the next one starts at the top with a new frame. Called
// when a transfer ends or is given up: DAT_PENDINGXFERS MSG_ENDXFER and MSG_RESET,
// MSG_DISABLEDS, MSG_CLOSEDS.
void ResetMemoryTransfer();

}  // namespace twain_ds
