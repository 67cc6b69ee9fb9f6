// Example: a TWAIN acquisition from rg7_ntc on the default virtual PC, made by the
// test application through the test source manager. The source shows live video
// in its Input dialog (left as input_dialog.png in the current directory); a
// scripted user presses Save three times, and the application takes the image by
// native, memory and file transfer (each ended by the application), leaving
// native.bmp, memory.bmp and file.bmp.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "outside/twain_app/test_application.h"
#include "outside/twain_dsm/twain_dsm.h"
#include "platform/automation.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/screen_picture.h"
#include "sim/machine.h"

namespace {

using twain_app::Bytes;

void PressSaveWhenShown() {
  platform::automation::AddStep("Input", nullptr, platform::automation::StepWhen::kExists,
                                [](HWND dialog) { platform::automation::Click(GetDlgItem(dialog, IDOK)); });
}

void Put32(Bytes& out, std::size_t at, std::uint32_t value) { std::memcpy(out.data() + at, &value, 4); }
void Put16(Bytes& out, std::size_t at, std::uint16_t value) { std::memcpy(out.data() + at, &value, 2); }

// The memory transfer's strips (rows top first, R, G, B or grey) as a packed DIB.
Bytes StripsAsDib(const twain_app::MemoryTransfer& transfer) {
  auto width = static_cast<std::uint32_t>(transfer.info.ImageWidth);
  auto height = static_cast<std::uint32_t>(transfer.info.ImageLength);
  std::uint32_t bytesPerPixel = transfer.info.BitsPerPixel / 8;
  std::uint32_t stride = (width * bytesPerPixel + 3) & ~3u;
  std::uint32_t palette = bytesPerPixel == 1 ? 1024 : 0;
  Bytes dib(40 + palette + std::size_t{stride} * height);
  Put32(dib, 0, 40);
  Put32(dib, 4, width);
  Put32(dib, 8, height);
  Put16(dib, 12, 1);
  Put16(dib, 14, static_cast<std::uint16_t>(transfer.info.BitsPerPixel));
  if (palette) Put32(dib, 32, 256);
  for (std::uint32_t i = 0; palette && i < 256; ++i)
    for (int c = 0; c < 3; ++c) dib[40 + 4 * i + c] = static_cast<std::uint8_t>(i);
  std::uint32_t row = 0;
  for (const twain_app::MemoryStrip& strip : transfer.strips) {
    std::uint32_t rowBytes = strip.record.BytesPerRow;
    for (std::uint32_t r = 0; r < strip.record.Rows && row < height; ++r, ++row) {
      const std::uint8_t* from = strip.data.data() + std::size_t{r} * rowBytes;
      std::uint8_t* to = dib.data() + 40 + palette + std::size_t{height - 1 - row} * stride;
      for (std::uint32_t x = 0; x < width; ++x)
        for (std::uint32_t c = 0; c < bytesPerPixel; ++c)
          to[x * bytesPerPixel + c] = from[x * bytesPerPixel + (bytesPerPixel == 3 ? 2 - c : c)];
    }
  }
  return dib;
}

}  // namespace

int main() {
  std::filesystem::path work = std::filesystem::temp_directory_path() / "acquisition_example";
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work / "windows");
  std::filesystem::copy_file(RG7_NTC_PATH, work / "rg7_ntc.ds");
  // The default machine's camera is on the first composite input.
  std::ofstream(work / "windows" / "rg7_ntc.INI") << "[Source]\r\nInputFormat=0\r\nStrobeOn=0\r\n";
  platform::SetWindowsDirectory((work / "windows").string());
  sim::PowerOn();
  twain_dsm::SetSourcePath(work.string());

  int failures = 0;
  {
    twain_app::TestApplication app("Acquisition example");
    if (app.OpenManager() != TWRC_SUCCESS || app.ListSources().empty()) return 1;
    if (app.OpenSource() != TWRC_SUCCESS || app.Enable(true) != TWRC_SUCCESS) return 1;
    app.RunMessageLoop(300);
    bool shown = platform::WritePng(platform::RenderScreen(), "input_dialog.png");
    std::printf("live video in the Input dialog: %s input_dialog.png\n", shown ? "wrote" : "could not write");
    failures += !shown;

    PressSaveWhenShown();
    if (!app.WaitForNotification(MSG_XFERREADY, 5000)) return 1;
    twain_app::NativeTransfer native = app.TakeNative();
    bool nativeOk = native.rc == TWRC_XFERDONE && twain_app::WriteDibAsBmp(native.dib, "native.bmp");
    std::printf("native transfer: %s native.bmp\n", nativeOk ? "wrote" : "failed,");
    failures += !nativeOk;

    PressSaveWhenShown();
    if (!app.WaitForNotification(MSG_XFERREADY, 5000)) return 1;
    twain_app::MemoryTransfer memory = app.TakeMemory();
    bool memoryOk = memory.rc == TWRC_XFERDONE && twain_app::WriteDibAsBmp(StripsAsDib(memory), "memory.bmp");
    std::printf("memory transfer in %zu strips: %s memory.bmp\n", memory.strips.size(), memoryOk ? "wrote" : "failed,");
    failures += !memoryOk;

    PressSaveWhenShown();
    if (!app.WaitForNotification(MSG_XFERREADY, 5000)) return 1;
    std::string file = std::filesystem::absolute("file.bmp").string();
    twain_app::FileTransfer written = app.TakeFile(file);
    bool fileOk = written.rc == TWRC_XFERDONE && !written.contents.empty();
    std::printf("file transfer: %s %s\n", fileOk ? "wrote" : "failed,", file.c_str());
    failures += !fileOk;

    app.Disable();
    if (app.CloseSource() != TWRC_SUCCESS) ++failures;
  }
  sim::PowerOff();
  return failures == 0 ? 0 : 1;
}
