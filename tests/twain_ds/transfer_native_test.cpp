// The native transfer of the 700-series source: the image window of one frame as
// a packed DIB; and that every transfer reads a frame of its own.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/fault_injection.h"
#include "tests/twain_ds/transfer_fixture.h"
#include "twain_ds/settings_file.h"

namespace twain_ds_test {
namespace {

class NativeTransfer : public TransferFixture {};

TEST_F(NativeTransfer, AColourWindowIsABottomUpBgrDibOrWithNegativeHeightATopDownRgbOne) {
  OpenWithImage({40, 31, 200, 150}, true);
  // The handle takes every byte of the application's TW_HANDLE.
  TW_HANDLE handle;
  std::memset(&handle, 0xFF, sizeof handle);
  ASSERT_EQ(Native(&handle), TWRC_XFERDONE);
  ASSERT_EQ(GlobalSize(handle), 40u + 600u * 150u);
  Bytes dib(static_cast<std::uint8_t*>(handle), static_cast<std::uint8_t*>(handle) + GlobalSize(handle));
  GlobalFree(handle);
  EXPECT_EQ(ReadDibHeader(dib.data()).height, 150);
  EXPECT_TRUE(ShowsTheWindow(SwapRedAndBlue(DibImage(dib))));
  // DAT_PENDINGXFERS changes the state, not the transfer.
  EXPECT_EQ(twain_ds::g_state, twain_ds::TwainState::kXferReady);

  NextImage();
  twain_ds::WriteSetting("Settings", "NegativeHeight", 1);
  dib = TakeNative();
  EXPECT_EQ(ReadDibHeader(dib.data()).height, -150);
  EXPECT_TRUE(ShowsTheWindow(DibImage(dib)));
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(NativeTransfer, AGreyWindow642WideHas644ByteRowsAndTheGreyPalette) {
  UsePalCamera();
  OpenWithImage({100, 21, 642, 120}, false, 1);
  Bytes dib = TakeNative();
  ASSERT_EQ(dib.size(), 40u + 1024u + 644u * 120u);
  EXPECT_EQ(ReadDibHeader(dib.data()).bits, 8);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(Le32(dib.data() + 40 + 4 * i), i * 0x010101) << "entry " << i;
  for (int row = 0; row < 120; ++row) ASSERT_EQ(dib[40 + 1024 + 644 * row + 642] | dib[40 + 1024 + 644 * row + 643], 0);
  EXPECT_TRUE(ShowsTheWindow(DibImage(dib)));
}

TEST_F(NativeTransfer, AFrameThatCannotBeReadIsNoImageAndTheVideoRunsOn) {
  OpenWithImage({40, 31, 200, 150}, true);
  const std::size_t blocks = platform::LiveGlobalBlocks();
  // The DIB's block is had, the read buffer is not.
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, 1);
  TW_HANDLE handle = nullptr;
  EXPECT_EQ(Native(&handle), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BUMMER);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_IMAGENATIVEXFER.  Bummer error.");
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks);
  // Without the restart, the armed strobe would have ended the grab meanwhile.
  EXPECT_FALSE(twain_ds::g_captureEngine->frozen());
  EXPECT_TRUE(twain_ds::g_captureEngine->grabbing());
}

TEST_F(NativeTransfer, EachTransferReadsAFrameOfItsOwn) {
  // At the picture's left edge, where each line carries its field's number.
  OpenWithImage({0, 20, 160, 60}, true);
  std::int64_t native = -1, memory = -1, file = -1;
  Image image = SwapRedAndBlue(DibImage(TakeNative()));
  ASSERT_TRUE(ShowsTheWindow(image, &native));
  EXPECT_EQ(Stamp(image), native);

  NextImage();
  image = TakeMemory(2304);
  ASSERT_TRUE(ShowsTheWindow(image, &memory));
  EXPECT_EQ(Stamp(image), memory);
  EXPECT_GT(memory, native + 1);

  NextImage();
  ASSERT_EQ(SetFileName(windows_.File("fresh.bmp")), TWRC_SUCCESS);
  ASSERT_EQ(FileXfer(), TWRC_XFERDONE);
  ASSERT_TRUE(ShowsTheWindow(SwapRedAndBlue(BmpImage(ReadFile(windows_.File("fresh.bmp")))), &file));
  EXPECT_GT(file, memory + 1);
}

}  // namespace
}  // namespace twain_ds_test
