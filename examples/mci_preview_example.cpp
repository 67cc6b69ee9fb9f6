// Example: the MCI driver stand-in starts rg7mciwin on the default virtual PC,
// puts live video of the RG-700's camera into the program's window, fires a strobe
// shot that ends the grab, and saves what the screen then shows as mci_preview.png
// and the picture as mci_snapshot.bmp in the current directory.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "outside/rg7mcint/rg7mcint.h"
#include "platform/last_error.h"
#include "platform/screen_picture.h"
#include "sim/machine.h"

int main() {
  sim::PowerOn();
  Rg7mciVideoSettings settings{};
  settings.saturation = 128;
  settings.brightness = 128;
  settings.contrast = 128;
  settings.input_select = 2;  // the composite input the default camera is on
  Rg7mciDevice* device = nullptr;
  if (Rg7mciOpen(RG7MCIWIN_PATH, &settings, &device) != RG7MCI_OK) {
    std::fprintf(stderr, "rg7mciwin did not start (error %u)\n", static_cast<unsigned>(GetLastError()));
    return 1;
  }
  Rg7mciPutDestination(device, 80, 60, 640, 480);
  Rg7mciPlay(device);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // A strobe shot: the strobe fires at the next field and the grab ends 4 fields on.
  Rg7mciArmStrobe(device, 2, 2);
  Rg7mciStop(device);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  platform::WritePng(platform::RenderScreen(), "mci_preview.png");
  std::string snapshot = (std::filesystem::current_path() / "mci_snapshot.bmp").string();
  std::int32_t captured = Rg7mciCapture(device, snapshot.c_str());
  DWORD exitCode = 0;
  Rg7mciClose(device, &exitCode);
  sim::PowerOff();
  std::printf("mci_preview.png and mci_snapshot.bmp written (capture %d, program exit code %u)\n", captured,
              static_cast<unsigned>(exitCode));
  return captured == RG7MCI_OK && exitCode == 0 ? 0 : 1;
}
