// The file transfer of the 700-series source: the image window of one frame as a
// BMP file, and DAT_SETUPFILEXFER.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/twain_ds/transfer_fixture.h"

namespace twain_ds_test {
namespace {

class FileTransfer : public TransferFixture {};

TEST_F(FileTransfer, ColourAndGreyFilesHoldTheNativeImageOfTheSameFrame) {
  OpenWithImage({58, 33, 150, 101}, true);
  // The surface keeps its frame for all four transfers.
  clock().Stop();
  for (bool color : {true, false}) {
    twain_ds::FormatSettings().color = color;
    Bytes dib = TakeNative();
    NextImage(0);
    ASSERT_EQ(SetFileName(windows_.File("image.bmp")), TWRC_SUCCESS);
    ASSERT_EQ(FileXfer(), TWRC_XFERDONE);
    Bytes file = ReadFile(windows_.File("image.bmp"));
    NextImage(0);
    // 24-bit rows of 452 bytes; 8-bit rows of 152 after the grey palette.
    ASSERT_EQ(file.size(), color ? 54u + 452u * 101u : 54u + 1024u + 152u * 101u);
    if (!color) {
      EXPECT_EQ(Le32(file.data() + 54 + 4 * 200), 200 * 0x010101);
    }
    Image native = DibImage(dib);
    EXPECT_EQ(BmpImage(file).pixels, native.pixels);
    EXPECT_TRUE(ShowsTheWindow(color ? SwapRedAndBlue(native) : native));
  }
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(FileTransfer, WithoutANameTheImageGoesToCTwainBmpWhichMsgGetReportsAlsoAfterAMsgSet) {
  std::filesystem::create_directories(windows_.File("drive_c"));
  OpenWithImage({92, 8, 64, 52}, true);
  ASSERT_EQ(FileXfer(), TWRC_XFERDONE);
  EXPECT_TRUE(ShowsTheWindow(SwapRedAndBlue(BmpImage(ReadFile(windows_.File("drive_c/twain.bmp"))))));

  // MSG_SET makes the file at once, empty, and leaves a file that is there alone.
  ASSERT_EQ(SetFileName(windows_.File("new.bmp")), TWRC_SUCCESS);
  EXPECT_EQ(ReadFile(windows_.File("new.bmp")).size(), 0u);
  EXPECT_TRUE(std::filesystem::exists(windows_.File("new.bmp")));
  ASSERT_EQ(SetFileName(windows_.File("drive_c/twain.bmp")), TWRC_SUCCESS);
  EXPECT_GT(ReadFile(windows_.File("drive_c/twain.bmp")).size(), 54u);
  TW_SETUPFILEXFER setup{};
  ASSERT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &setup), TWRC_SUCCESS);
  EXPECT_STREQ(setup.FileName, "c:\\twain.bmp");
  EXPECT_EQ(setup.Format, TWFF_BMP);

  EXPECT_EQ(SetFileName(windows_.File("no/such/folder.bmp")), TWRC_FAILURE);
  EXPECT_EQ(LastBoxText(), "Unable to create file <<DAT_SETUPFILEXFER>>Bad value error.");
}

}  // namespace
}  // namespace twain_ds_test
