// The 700-series source open in the test's own process with an image in hand
// (state 600) and live video into the overlay; and what the transfers are checked
// against: the camera's picture as the board's DMA writes it, converted by a
// CCIR 601 reference of the tests' own, and readers of DIBs and BMP files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/global_memory.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/rg700/rg700_capture_format.h"
#include "sim/rg700/rg700_video_clock.h"
#include "sim/video/test_pattern.h"
#include "tests/support/dib_rows.h"
#include "tests/twain_ds/open_source_fixture.h"
#include "twain_ds/transfer_state.h"

namespace twain_ds_test {

using testing_support::BmpImage;
using testing_support::Bytes;
using testing_support::DibImage;
using testing_support::DibRows;
using testing_support::Image;
using testing_support::Le32;
using testing_support::ReadDibHeader;
using testing_support::RowMatches;
using testing_support::SwapRedAndBlue;

struct Window {
  int x, y, width, height;
};

// The fields of a TW_IMAGEMEMXFER, unpacked so that assertions can take them.
struct Strip {
  TW_UINT32 rows, y_offset, bytes_written, bytes_per_row;
};

class TransferFixture : public OpenSourceFixture {
 protected:
  TransferFixture() {
    twain_ds::ResetMemoryTransfer();
    twain_ds::g_xferFileName[0] = '\0';
  }
  ~TransferFixture() override { twain_ds::ResetMemoryTransfer(); }

  void UsePalCamera() {
    rg7::LibraryDetach();
    sim::PowerOff();
    sim::MachineDescription desc = QuickMachine();
    desc.rg700_boards[0].inputs[0].standard = 1;
    sim::PowerOn(desc);
    rg7::LibraryAttach();
  }
  // Opens the source on the camera's input with the window as the image in hand,
  // the overlay live as the Input dialog starts it.
  void OpenWithImage(const Window& window, bool color, int standard = 0) {
    windows_.Write(app_.m_pszProfileName, "[Source]\r\nInputFormat=0\r\nVideoStandard=" + std::to_string(standard));
    ASSERT_EQ(Open(), TWRC_SUCCESS);
    twain_ds::CFormatSettings& format = twain_ds::FormatSettings();
    format.offset_x = window.x;
    format.offset_y = window.y;
    format.window_width = window.width;
    format.window_height = window.height;
    format.color = color;
    twain_ds::g_captureEngine->Reopen();
    RG7SetVideoStandard(static_cast<std::uint32_t>(standard));
    twain_ds::g_captureEngine->SetGrabWindow();
    twain_ds::g_captureEngine->LiveVideo();
    twain_ds::g_state = twain_ds::TwainState::kXferReady;
    window_ = window;
    ASSERT_TRUE(LiveFields(4));
  }
  sim::Rg700VideoClock& clock() { return sim::CurrentMachine()->rg700(0).video_clock(); }
  bool LiveFields(std::uint32_t fields) { return clock().WaitForFieldCount(clock().field_count() + fields); }
  // The application ends the transfer; the next image is saved some fields later.
  void NextImage(std::uint32_t fields = 4) {
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    twain_ds::g_state = twain_ds::TwainState::kXferReady;
    EXPECT_TRUE(LiveFields(fields));
  }

  TW_UINT16 Native(TW_HANDLE* handle) { return Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, handle); }
  // The DIB copied out and freed, as an application does.
  Bytes TakeNative() {
    TW_HANDLE handle = nullptr;
    EXPECT_EQ(Native(&handle), TWRC_XFERDONE);
    if (!handle) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(handle);
    Bytes dib(bytes, bytes + GlobalSize(handle));
    GlobalFree(handle);
    return dib;
  }
  TW_UINT16 MemoryStrip(TW_UINT32 length, void* memory, Strip* strip = nullptr) {
    TW_IMAGEMEMXFER record{};
    record.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, length, memory};
    TW_UINT16 rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &record);
    if (strip) *strip = Strip{record.Rows, record.YOffset, record.BytesWritten, record.BytesPerRow};
    return rc;
  }
  // A whole memory transfer: the image it delivered and each strip.
  Image TakeMemory(std::size_t bufferBytes, std::vector<Strip>* strips = nullptr) {
    Image image{window_.width, window_.height, twain_ds::FormatSettings().color ? 24 : 8, {}};
    Bytes buffer(bufferBytes);
    for (Strip strip{}; image.pixels.size() <= image.RowBytes() * image.height;) {
      TW_UINT16 rc = MemoryStrip(static_cast<TW_UINT32>(buffer.size()), buffer.data(), &strip);
      if (strips) strips->push_back(strip);
      if (rc == TWRC_XFERDONE) return image;
      if (rc != TWRC_SUCCESS) break;
      image.pixels.insert(image.pixels.end(), buffer.begin(), buffer.begin() + strip.bytes_written);
    }
    ADD_FAILURE() << "the memory transfer did not end with TWRC_XFERDONE";
    return image;
  }
  TW_UINT16 SetFileName(const std::string& name) {
    TW_SETUPFILEXFER setup{};
    name.copy(setup.FileName, sizeof setup.FileName - 1);
    setup.Format = TWFF_BMP;
    return Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
  }
  TW_UINT16 FileXfer() { return Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr); }
  static Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  // The newest field from `from` down to `to` that shows row `row` of the image:
  // only fields of the picture row's parity carry it.
  std::int64_t FieldOfRow(const Image& image, int row, std::int64_t from, std::int64_t to) {
    const sim::CaptureFormat format = sim::CaptureFormatOf(sim::CurrentMachine()->rg700(0));
    const int pictureRow = window_.y + row;
    for (std::int64_t field = from; field >= std::max<std::int64_t>(to, 0); --field) {
      if (sim::IsOddField(static_cast<std::uint32_t>(field)) != (pictureRow % 2 == 0)) continue;
      Bytes line = sim::ExpectedCaptureLine(format, static_cast<std::uint32_t>(field), pictureRow / 2);
      if (RowMatches(image.Row(row), line, window_.x, window_.width, image.bits)) return field;
    }
    return -1;
  }
  // The image is the window of one frame: its rows alternate between two
  // neighbouring fields. *topField is the field of its first row.
  ::testing::AssertionResult ShowsTheWindow(const Image& image, std::int64_t* topField = nullptr) {
    if (image.width != window_.width || image.height != window_.height ||
        image.pixels.size() != image.RowBytes() * image.height)
      return ::testing::AssertionFailure() << "an image of " << image.width << " x " << image.height;
    const std::int64_t latest = clock().field_count();
    const std::int64_t first = FieldOfRow(image, 0, latest, latest - 4000);
    const std::int64_t second = FieldOfRow(image, 1, first + 1, first - 1);
    if (first < 0 || second < 0) return ::testing::AssertionFailure() << "rows 0 and 1 show no frame";
    for (int r = 2; r < image.height; ++r)
      if (FieldOfRow(image, r, r % 2 ? second : first, r % 2 ? second : first) < 0)
        return ::testing::AssertionFailure() << "row " << r << " differs";
    if (topField) *topField = first;
    return ::testing::AssertionSuccess();
  }
  // The field number stamped at the left edge of the image's first row (colour).
  static std::int64_t Stamp(const Image& image) {
    return sim::DecodeFieldStamp(image.Row(0), sim::CapturePixel::kRgb24);
  }

  Window window_{};
};

}  // namespace twain_ds_test
