// Camera definition files from outside: any bytes read as a camera or are
// refused, a slot loads from what was read or stays as it was, and a camera that
// loaded writes a file that reads back and loads to the same configuration word.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kt6sdk/camera_slot_store.h"
#include "kt6sdk/camera_slots.h"
#include "kt6sdk/library_state.h"
#include "platform/paths.h"

namespace {

struct Files {
  Files() {
    char dir[] = "/tmp/zeph-camera-fuzz-XXXXXX";
    if (!::mkdtemp(dir)) std::abort();
    input = std::string(dir) + "/input.cam";
    output = std::string(dir) + "/output.cam";
    platform::SetWindowsDirectory(dir);
    // A camera board as an open leaves it; the slots touch no register.
    kt6::g_state.opened = 1;
    kt6::g_state.board_type = 4;
  }
  std::string input, output;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Files files;
  if (FILE* f = std::fopen(files.input.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  kt6::CameraSettings read{};
  kt6::ReadCameraFile(files.input.c_str(), &read);

  const kt6::CameraSlot before = kt6::g_cameraSlots.slots[0];
  const std::uint8_t usedBefore = kt6::g_state.camera_slot_used[0];
  if (kt6::LoadCameraSlot(0, nullptr, files.input.c_str()) != 0) {
    if (std::memcmp(&before, &kt6::g_cameraSlots.slots[0], sizeof before) != 0) std::abort();
    if (usedBefore != kt6::g_state.camera_slot_used[0]) std::abort();
    return 0;
  }
  const kt6::CameraSlot loaded = kt6::g_cameraSlots.slots[0];
  std::remove(files.output.c_str());
  if (kt6::WriteCameraFile(files.output.c_str(), &loaded.settings) != 0) std::abort();
  if (kt6::LoadCameraSlot(1, nullptr, files.output.c_str()) != 0) std::abort();
  if (kt6::g_cameraSlots.slots[1].config_word != loaded.config_word) std::abort();
  return 0;
}
