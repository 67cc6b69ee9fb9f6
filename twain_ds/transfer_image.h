// The image of the transfers, through the back-end of the running build.
#pragma once

#include "platform/win_types.h"
#include "twain_ds/capture_backend.h"
#include "twain_ds/data_source_app.h"

namespace twain_ds {

// The image a transfer delivers; false when the back-end cannot tell.
inline bool GetTransferImage(TransferImage* image) {
  const CaptureBackend* backend = CurrentBuild().backend;
  return backend && backend->image_size && backend->image_size(image);
}

// One frame of the rectangle, as CaptureBackend::get_video_data delivers it.
inline BOOL GetVideoData(BYTE* destination, int x, int y, int width, int height, int bitsPerPixel, BOOL topDown) {
  const CaptureBackend* backend = CurrentBuild().backend;
  if (!backend || !backend->get_video_data) return FALSE;
  return backend->get_video_data(destination, x, y, width, height, bitsPerPixel, topDown);
}

// The builds that re-capture take a fresh frame before each read of a transfer
// (in a memory transfer, at each strip).
inline void RecaptureBeforeRead() {
  const BuildDescriptor& build = CurrentBuild();
  if (build.recapture_before_frame_read && build.backend && build.backend->recapture) build.backend->recapture();
}

// A packed DIB of one frame of the transfer's image in movable global memory, or
// null. The caller owns the block.
HGLOBAL BuildNativeDib();

}  // namespace twain_ds
