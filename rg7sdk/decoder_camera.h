// The camera record the decoder back-ends work on: the current board's current
// camera.
#pragma once

#include "rg7sdk/board_records.h"

namespace rg7 {

inline RG7CameraRecord& CurrentDecoderCamera() {
  RG7BoardRecord& board = CurrentBoardRecord();
  // The records hold four cameras; the index is checked where it is set.
  return board.cameras[board.current_camera % 4];
}

}  // namespace rg7
