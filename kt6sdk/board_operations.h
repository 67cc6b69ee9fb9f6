// Operations that the open, the close and the interrupt handler call but that
// belong to the overlay, capture-buffer, camera-poll and strobe code. Each entry
// is set by the code that provides it; until then it does what the board needs
// without that code (or nothing).
#pragma once

namespace kt6 {

struct BoardOperations {
  void (*overlay_off)();              // the streams processor shows the desktop alone
  void (*release_capture_surface)();  // the DirectDraw surface of the capture buffer
  void (*stop_poll_timer)();          // the camera-signal poll, when it runs
  void (*set_strobe)();               // the strobe line on
  void (*reset_strobe)();             // and off
};

extern BoardOperations g_operations;

}  // namespace kt6
