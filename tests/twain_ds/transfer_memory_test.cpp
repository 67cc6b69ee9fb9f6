// The memory transfer of the 700-series source: whole rows of one frame in strips,
// top row first, colour as R, G, B; and the states in which the transfers run.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/twain_ds/transfer_fixture.h"

namespace twain_ds_test {
namespace {

class MemoryTransfer : public TransferFixture {};

TEST_F(MemoryTransfer, StripsOfTenRowsEndWithTheRestAndThenADoneWithNothingWritten) {
  // 95 rows: nine strips of ten, then five.
  OpenWithImage({64, 45, 120, 95}, true);
  std::vector<Strip> strips;
  Image image = TakeMemory(360 * 10, &strips);
  ASSERT_EQ(strips.size(), 11u);
  for (TW_UINT32 i = 0; i < 10; ++i) {
    const TW_UINT32 rows = i < 9 ? 10 : 5;
    EXPECT_EQ(strips[i].bytes_per_row, 360u);
    EXPECT_EQ(strips[i].y_offset, 10 * i);
    EXPECT_EQ(strips[i].rows, rows) << "strip " << i;
    EXPECT_EQ(strips[i].bytes_written, rows * 360);
  }
  EXPECT_EQ(strips[10].bytes_written, 0u);
  EXPECT_TRUE(ShowsTheWindow(image));
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(MemoryTransfer, ABufferShorterThanARowFailsEveryTimeWithoutABoxAndTakesNoRows) {
  OpenWithImage({130, 77, 98, 61}, false);
  Bytes buffer(97);
  for (int call = 0; call < 3; ++call) EXPECT_EQ(MemoryStrip(97, buffer.data()), TWRC_FAILURE);
  EXPECT_EQ(Boxes(), 0u);
  EXPECT_EQ(Condition(), TWCC_SUCCESS);
  EXPECT_EQ(MemoryStrip(10000, nullptr), TWRC_FAILURE);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_IMAGEINFO.  Bad value error.");

  std::vector<Strip> strips;
  Image image = TakeMemory(2304, &strips);
  EXPECT_EQ(strips[0].y_offset, 0u);
  EXPECT_EQ(strips[0].rows, 23u);
  EXPECT_TRUE(ShowsTheWindow(image));
}

TEST_F(MemoryTransfer, AnAbandonedTransferIsForgottenAtEndXferSoTheNextStartsAtTheTopOfANewFrame) {
  // At the picture's left edge, where each line carries its field's number.
  OpenWithImage({0, 12, 96, 40}, true);
  Bytes buffer(3 * 96 * 10);
  Strip strip{};
  ASSERT_EQ(MemoryStrip(3 * 96 * 10, buffer.data(), &strip), TWRC_SUCCESS);
  const std::int64_t abandoned = Stamp(Image{96, 10, 24, buffer});
  ASSERT_EQ(MemoryStrip(3 * 96 * 10, buffer.data(), &strip), TWRC_SUCCESS);
  EXPECT_EQ(strip.y_offset, 10u);

  NextImage();
  std::vector<Strip> strips;
  std::int64_t field = -1;
  ASSERT_TRUE(ShowsTheWindow(TakeMemory(buffer.size(), &strips), &field));
  EXPECT_EQ(strips.size(), 5u);
  EXPECT_GE(abandoned, 0);
  EXPECT_GT(field, abandoned + 1);
}

TEST_F(MemoryTransfer, BeforeTheImageIsReadyNoTransferRunsAndNoInformationIsGiven) {
  std::filesystem::create_directories(windows_.File("drive_c"));
  OpenWithImage({64, 45, 120, 95}, true);
  twain_ds::g_state = twain_ds::TwainState::kEnabled;
  const std::string outOfSequence = "DG DAT MSG is out of expected sequence.";
  TW_IMAGEINFO info{};
  EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(LastBoxText(), "General failure in transfer.  " + outOfSequence);
  Bytes buffer(100000);
  EXPECT_EQ(MemoryStrip(100000, buffer.data()), TWRC_FAILURE);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_IMAGEINFO.  " + outOfSequence);
  EXPECT_EQ(FileXfer(), TWRC_FAILURE);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_IMAGEINFO.  " + outOfSequence);
  EXPECT_EQ(Condition(), TWCC_SEQERROR);
  EXPECT_FALSE(std::filesystem::exists(windows_.File("drive_c/twain.bmp")));
}

}  // namespace
}  // namespace twain_ds_test
