// The source's calls back into the source manager: an image is ready, or the
// user wants the source closed.
#pragma once

namespace twain_ds {

// State 600 first, so that triplets sent back from inside the call see it.
void NotifyXferReady();
void NotifyCloseDSReq();

}  // namespace twain_ds
