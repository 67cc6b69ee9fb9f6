// The streams processor, which lays the capture buffer over the desktop: the open
// sets it up for the desktop's mode with the desktop alone on the screen, the
// close gives back what the open found.
#pragma once

namespace kt6 {

void PrepareStreamsProcessor();
void RestoreStreamsProcessor();

}  // namespace kt6
