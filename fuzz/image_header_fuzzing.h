// What the image-header fuzz targets share: each input becomes a file that the
// header call opens by name; message boxes are dropped so the log stays small.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/message_box.h"

namespace fuzzing {

// The input as a file of this process; its path.
inline const std::string& InputFile(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/zeph-fuzz-" + std::to_string(::getpid()) + ".img";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  platform::ClearMessageBoxLog();
  return path;
}

}  // namespace fuzzing
