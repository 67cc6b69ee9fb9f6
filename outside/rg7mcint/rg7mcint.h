// The MCI driver that commands the preview program, as a small API with one call
// per MCI verb it serves. It starts rg7mciwin, finds its window, shows it, and
// keeps a window of its own painted in the key colour where the video goes; the
// settings travel by WM_COPYDATA, the commands as the program's private messages,
// and each snapshot's file name as a global atom. A device is used from the thread
// that opened it.
#pragma once

#include <cstdint>

#include "platform/user.h"

#define RG7MCI_API __attribute__((visibility("default")))

// The settings block as the driver builds it (108 bytes, little-endian).
#pragma pack(push, 1)
struct Rg7mciVideoSettings {
  std::uint8_t reserved0[24];
  std::uint32_t horz_decimation_mask;  // 0: full width
  std::uint32_t vert_decimation_mask;  // 0: full height
  std::uint8_t reserved1[8];
  std::uint32_t hue;             // -128..127 in the low byte
  std::uint32_t saturation;      // 0..255
  std::uint32_t brightness;      // 0..255
  std::uint32_t contrast;        // 0..255
  std::uint16_t video_standard;  // 0 NTSC, 1 PAL
  std::uint16_t reserved2;
  std::uint32_t input_select;  // composite input 0, 1 or another
  std::uint16_t vcr_mode;
  std::uint16_t svideo_select;  // 1: S-Video
  std::uint8_t reserved3[40];
};
#pragma pack(pop)
static_assert(sizeof(Rg7mciVideoSettings) == 108);

enum Rg7mciResult : std::int32_t {
  RG7MCI_OK = 0,
  RG7MCI_ERR_START = 1,          // the program did not start; GetLastError says why
  RG7MCI_ERR_NO_WINDOW = 2,      // it ended, or showed no window in time
  RG7MCI_ERR_NOT_OPEN = 3,       // no device
  RG7MCI_ERR_FILE_NAME = 4,      // no atom for the name (empty or too long)
  RG7MCI_ERR_SNAPSHOT = 5,       // the program did not take the file name
  RG7MCI_ERR_CLOSE_TIMEOUT = 6,  // the program did not end in time
  RG7MCI_ERR_PARAMETER = 7,
};

struct Rg7mciDevice;

// The key colour the program's overlay shows through.
constexpr COLORREF kRg7mciKeyColor = RGB(255, 0, 255);

extern "C" {
// Starts the program (null: "rg7mciwin.exe" where the loader finds it), waits until
// it waits for input, finds its window, sends the settings, applies them and starts
// the preview, shows the window and puts the video in its client area. *device is
// null on failure.
RG7MCI_API std::int32_t Rg7mciOpen(const char* program, const Rg7mciVideoSettings* settings, Rg7mciDevice** device);
// Sends new settings; the program applies those that changed.
RG7MCI_API std::int32_t Rg7mciSetVideo(Rg7mciDevice* device, const Rg7mciVideoSettings* settings);
// Where the video goes on the screen: the key window moves there, the program's
// picture follows and is scaled to the size.
RG7MCI_API std::int32_t Rg7mciPutDestination(Rg7mciDevice* device, int x, int y, int width, int height);
RG7MCI_API std::int32_t Rg7mciPlay(Rg7mciDevice* device);
RG7MCI_API std::int32_t Rg7mciStop(Rg7mciDevice* device);
// With the strobe armed, the next stop fires it: low for `width` DMA completions,
// the grab stopping `delay` completions after that.
RG7MCI_API std::int32_t Rg7mciArmStrobe(Rg7mciDevice* device, std::uint16_t delay, std::uint16_t width);
RG7MCI_API std::int32_t Rg7mciDisarmStrobe(Rg7mciDevice* device);
// Saves what the video shows as a 24-bit BMP file.
RG7MCI_API std::int32_t Rg7mciCapture(Rg7mciDevice* device, const char* file);
// Asks the program to close, waits for its end and frees the device; *exitCode
// (if given) is the program's.
RG7MCI_API std::int32_t Rg7mciClose(Rg7mciDevice* device, DWORD* exitCode);

// What the device holds, for tests and examples.
RG7MCI_API HWND Rg7mciPreviewWindow(const Rg7mciDevice* device);
RG7MCI_API HWND Rg7mciKeyWindow(const Rg7mciDevice* device);
RG7MCI_API DWORD Rg7mciProcessId(const Rg7mciDevice* device);
}
