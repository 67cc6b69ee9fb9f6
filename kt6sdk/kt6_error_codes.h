// Status codes of the 650-series library and of the image-file layer that both
// board libraries carry: 0 success, a small negative code for failure.
#pragma once

#include <cstdint>

enum KT6ErrorCode : std::int32_t {
  KT6_OK = 0,
  KT6_ERR_GENERAL = -1,  // board not open or not initialised, already open, malformed file
  KT6_ERR_NO_MEMORY = -2,
  KT6_ERR_FORMAT = -3,     // unsupported format, bad file header or bad parameter of a file call
  KT6_ERR_FILE_OPEN = -5,  // file cannot be created or opened
  KT6_ERR_READ = -6,
  KT6_ERR_WRITE = -7,
  KT6_ERR_BIT_DEPTH = -8,      // unsupported bit depth
  KT6_ERR_DISPLAY_MODE = -31,  // desktop display mode not supported, or key not available
  KT6_ERR_NO_PCI_BIOS = -32,
  KT6_ERR_NO_BOARD = -33,
  KT6_ERR_PARAMETER = -34,       // bad parameter or wrong state
  KT6_ERR_TIMEOUT = -35,         // time-out or no video signal
  KT6_ERR_CAPTURE_BUFFER = -36,  // capture buffer cannot be reserved in display memory
  KT6_ERR_NOT_SUPPORTED = -37,   // not on this board type, or codec library missing
  KT6_ERR_MODE = -38,            // not supported in this mode
};
