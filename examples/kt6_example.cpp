// Example: the 650-series library on the default virtual PC. It attaches the
// library as the loader would, opens the board that drives the monitor, prints
// what KT6InquireBoardInfo tells of it and counts the vertical syncs that reach a
// callback over a few waits. Then it initialises the board, writes colour bars into
// the capture buffer, shows them zoomed twice through a colour-keyed rectangle of
// the desktop and saves the screen as kt6_overlay.png. Last it grabs the camera's
// live video into the buffer, saves the frame as kt6_frame.bmp, kt6_frame.tif and
// kt6_frame.jpg, and the screen showing it as kt6_live.png.
#include <atomic>
#include <cstdio>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_entry.h"
#include "platform/screen_picture.h"
#include "sim/machine.h"

namespace {

std::atomic<int> g_syncs{0};

void OnInterrupt(std::uint32_t status) {
  if (status & 0x04) g_syncs.fetch_add(1);
  KT6IRQEnable(0);  // lets the callback be called again
}

}  // namespace

int main() {
  sim::PowerOn();
  kt6::LibraryAttach();  // what the loader does when it maps the library
  std::int32_t result = KT6Open(0x151);
  if (result != 0) {
    std::printf("KT6Open failed: %d\n", result);
    return 1;
  }
  BoardInfo info;
  KT6InquireBoardInfo(&info);
  std::printf("650-series board, SDK %X.%02X\n", KT6InquireSDKVersion() >> 8, KT6InquireSDKVersion() & 0xFF);
  std::printf("  board id          0x%08X\n", info.board_id);
  std::printf("  chip              0x%04X revision 0x%02X\n", info.chip_id, info.chip_revision);
  std::printf("  decoder           %s\n", info.has_decoder ? "yes" : "no");
  std::printf("  display memory    %u MB\n", info.memory_mb);
  std::printf("  desktop           mode 0x%03X, %u x %u, %u bytes per pixel\n", info.display_mode, info.desktop_width,
              info.desktop_height, info.bytes_per_pixel);
  std::printf("  monitor           (%d, %d) - (%d, %d)\n", info.monitor_rect[0], info.monitor_rect[1],
              info.monitor_rect[2], info.monitor_rect[3]);
  std::printf("  IRQ line          %u\n", info.irq_line);
  std::printf("  memory clock      %.2f MHz\n", static_cast<double>(info.memory_clock_mhz));
  std::printf("  S-Video           %u\n", info.svideo_mode);
  std::printf("  driver version    %X.%02X\n", info.driver_version >> 8, info.driver_version & 0xFF);

  KT6IRQInstallCallback(OnInterrupt);
  KT6IRQEnable(0x04);
  int waits = 0;
  for (int i = 0; i < 10; ++i)
    if (KT6WaitForVSync() == 0) ++waits;
  KT6IRQDisable(0x04);
  KT6IRQDeInstallCallback(OnInterrupt);
  std::printf("  vertical syncs    %d of 10 waits, %d seen by the callback\n", waits, g_syncs.load());

  // Colour bars (YUV 4:2:2, Y0 Cb Y1 Cr) in the capture buffer, shown through a key.
  std::printf("KT6Init: %d\n", KT6Init(nullptr));
  std::uint16_t width = 0, height = 0;
  std::uint32_t offset = 0;
  KT6GetVideoFrame(nullptr, &offset, &width, &height);
  BoardConfig config;
  KT6InquireConfig(&config);
  std::uint32_t pitch = config.line_pitch;
  std::printf("  capture buffer    %u x %u at 0x%X, %u bytes a line\n", width, height, offset, pitch);
  const std::uint8_t bars[8][3] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                                   {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};
  auto* frame = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(KT6GetVRAMBase(nullptr))) + offset;
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x + 1 < width; x += 2) {
      const std::uint8_t* bar = bars[x * 8 / width];
      std::uint8_t* p = frame + y * pitch + x * 2;
      p[0] = bar[0], p[1] = bar[1], p[2] = bar[0], p[3] = bar[2];
    }
  sim::Display& display = sim::CurrentMachine()->display();
  display.FillDesktop(RECT{0, 0, 1024, 768}, RGB(0, 128, 128));
  display.FillDesktop(RECT{150, 100, 850, 650}, RGB(255, 0, 255));  // the default colour key
  KT6SetImageFrameOnVideoFrame(0, 0, 320, 240);
  KT6SetZoomFactors(2, 2);
  KT6SetImageWndOnScreen(180, 120);
  KT6SetOverlayMode(0x5000000);
  bool saved = platform::WritePng(platform::RenderScreen(), "kt6_overlay.png");
  std::printf("  screen            %s\n", saved ? "kt6_overlay.png" : "not written");

  // Live video: the camera's frames captured into the buffer, shown as they come.
  KT6SetImageFrameOnVideoFrame(0, 0, width, height);
  KT6SetZoomFactors(1, 1);
  KT6SetImageWndOnScreen(180, 120);
  std::printf("KT6StartGrab: %d\n", KT6StartGrab(1));
  for (int i = 0; i < 10; ++i) KT6WaitForFrameEnd();
  std::printf("KT6StopGrab: %d\n", KT6StopGrab());
  // The captured frame as files: BMP and TIFF in colour, JPEG through the codec
  // library at quality 90.
  std::printf("KT6BMPSave: %d (kt6_frame.bmp)\n", KT6BMPSave("kt6_frame.bmp", 0, 0, width, height, 4));
  std::printf("KT6TIFFSave: %d (kt6_frame.tif)\n", KT6TIFFSave("kt6_frame.tif", 0, 0, width, height, 6));
  std::printf("KT6JPEGSave: %d (kt6_frame.jpg)\n", KT6JPEGSave("kt6_frame.jpg", 0, 0, width, height, 4, 90, 0, 0, 0));
  saved = platform::WritePng(platform::RenderScreen(), "kt6_live.png");
  std::printf("  screen            %s\n", saved ? "kt6_live.png" : "not written");
  std::printf("KT6Close: %d\n", KT6Close());
  kt6::LibraryDetach();
  sim::PowerOff();
  return 0;
}
