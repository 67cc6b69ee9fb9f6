#include <cstring>

#include "tests/imagefile/imagefile_fixture.h"

namespace {

using imagefile_testing::ImageFileTest;
using testing_support::Bytes;

class BufferedStreamTest : public ImageFileTest {
 protected:
  HFILE Create(const std::string& file) {
    HFILE f = _lcreat(Name(file).c_str(), 0);
    EXPECT_NE(f, HFILE_ERROR);
    return f;
  }
  HFILE Open(const std::string& file) {
    HFILE f = _lopen(Name(file).c_str(), OF_READ);
    EXPECT_NE(f, HFILE_ERROR);
    return f;
  }
};

TEST_F(BufferedStreamTest, RequestSizesAndStartingState) {
  FIOBufBlock* big = FIOBufRequest(7, 1, 20000);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(testing_support::Val(big->buffer_size), 8192);
  EXPECT_EQ(testing_support::Val(big->bytes_left), 8192);
  EXPECT_EQ(testing_support::Val(big->position), testing_support::Val(big->buffer));
  EXPECT_EQ(testing_support::Val(big->file_handle), 7u);
  FIOBufBlock* small = FIOBufRequest(7, 0, 100);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(testing_support::Val(small->buffer_size), 100);
  EXPECT_EQ(testing_support::Val(small->bytes_left), 0);
  EXPECT_EQ(testing_support::Val(small->position), small->buffer + 100);
  EXPECT_EQ(FIOBufRelease(big), 0);
  EXPECT_EQ(FIOBufRelease(small), 0);
  // A zero-sized write stream would never drain; other directions mean nothing.
  EXPECT_EQ(FIOBufRequest(7, 1, 0), nullptr);
  EXPECT_EQ(FIOBufRequest(7, 2, 100), nullptr);
}

TEST_F(BufferedStreamTest, AllocationFailuresLeaveNothingBehind) {
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(FIOBufRequest(7, 1, 100), nullptr);
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY, 1);
  EXPECT_EQ(FIOBufRequest(7, 1, 100), nullptr);
  platform::faults::Arm("GlobalLock", 1, ERROR_NOT_ENOUGH_MEMORY, 1);
  EXPECT_EQ(FIOBufRequest(7, 1, 100), nullptr);
}

TEST_F(BufferedStreamTest, AFullBufferGoesToTheFileAtOnce) {
  HFILE f = Create("w.bin");
  FIOBufBlock* block = FIOBufRequest(static_cast<std::uint32_t>(f), 1, 8192);
  Bytes data(8192);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_EQ(FIOBufWrite(block, data.data(), 8192), 0);
  EXPECT_EQ(Read("w.bin").size(), 8192u);
  EXPECT_EQ(testing_support::Val(block->bytes_left), 8192);
  EXPECT_EQ(FIOBufRelease(block), 0);
  EXPECT_EQ(Read("w.bin"), data);
  EXPECT_EQ(_lclose(f), 0);
}

TEST_F(BufferedStreamTest, SmallWritesGatherAndReleaseWritesTheRest) {
  HFILE f = Create("w.bin");
  FIOBufBlock* block = FIOBufRequest(static_cast<std::uint32_t>(f), 1, 10);
  Bytes expected;
  for (int i = 0; i < 7; ++i) {
    std::uint8_t three[3] = {static_cast<std::uint8_t>(i), 0xAA, 0x55};
    EXPECT_EQ(FIOBufWrite(block, three, 3), 0);
    expected.insert(expected.end(), three, three + 3);
  }
  EXPECT_EQ(Read("w.bin").size(), 20u);  // two full buffers
  EXPECT_EQ(FIOBufWrite(block, nullptr, 0), 0);
  EXPECT_EQ(FIOBufRelease(block), 0);
  EXPECT_EQ(Read("w.bin"), expected);
  EXPECT_EQ(_lclose(f), 0);
}

TEST_F(BufferedStreamTest, ReadsDeliverWhatTheFileHolds) {
  Write("r.bin", Bytes{1, 2, 3, 4});
  HFILE f = Open("r.bin");
  FIOBufBlock* block = FIOBufRequest(static_cast<std::uint32_t>(f), 0, 8192);
  std::uint8_t got[10] = {};
  EXPECT_EQ(FIOBufRead(block, got, 10), 4);
  EXPECT_EQ(got[3], 4);
  EXPECT_EQ(testing_support::Val(block->buffer_size), 4);  // a short read shrinks the buffer
  EXPECT_EQ(FIOBufRead(block, got, 10), 0);
  EXPECT_EQ(FIOBufRelease(block), 0);
  EXPECT_EQ(_lclose(f), 0);
}

TEST_F(BufferedStreamTest, ReadsAcrossBufferRefills) {
  Bytes data(1000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i ^ (i >> 3));
  Write("r.bin", data);
  HFILE f = Open("r.bin");
  FIOBufBlock* block = FIOBufRequest(static_cast<std::uint32_t>(f), 0, 64);
  Bytes got(1000);
  std::size_t at = 0;
  for (std::uint32_t step : {1u, 63u, 100u, 200u, 636u}) {
    ASSERT_EQ(FIOBufRead(block, got.data() + at, step), static_cast<std::int32_t>(step));
    at += step;
  }
  EXPECT_EQ(got, data);
  EXPECT_EQ(FIOBufRelease(block), 0);
  EXPECT_EQ(_lclose(f), 0);
}

TEST_F(BufferedStreamTest, WrongDirectionsAndNullPointersChangeNothing) {
  FIOBufBlock* reader = FIOBufRequest(7, 0, 16);
  FIOBufBlock* writer = FIOBufRequest(7, 1, 16);
  std::uint8_t b[4] = {};
  EXPECT_EQ(FIOBufWrite(reader, b, 4), -3);
  EXPECT_EQ(testing_support::Val(reader->bytes_left), 0);
  EXPECT_EQ(FIOBufRead(writer, b, 4), -3);
  EXPECT_EQ(testing_support::Val(writer->bytes_left), 16);
  EXPECT_EQ(FIOBufWrite(writer, nullptr, 4), -3);
  EXPECT_EQ(FIOBufRead(nullptr, b, 4), -3);
  EXPECT_EQ(FIOBufRelease(nullptr), -3);
  EXPECT_EQ(FIOBufRelease(reader), 0);
  EXPECT_EQ(FIOBufRelease(writer), 0);
}

TEST_F(BufferedStreamTest, FailedFileCallsReportTheirCodes) {
  HFILE f = Create("w.bin");
  FIOBufBlock* block = FIOBufRequest(static_cast<std::uint32_t>(f), 1, 4);
  platform::faults::Arm("_lwrite", 1, ERROR_IO_DEVICE);
  std::uint8_t four[4] = {9, 8, 7, 6};
  EXPECT_EQ(FIOBufWrite(block, four, 4), -7);
  // The full buffer is written again before more is taken.
  EXPECT_EQ(FIOBufWrite(block, four, 2), 0);
  EXPECT_EQ(Read("w.bin"), (Bytes{9, 8, 7, 6}));
  // The last write fails: the stream is freed all the same (the fixture checks).
  platform::faults::Arm("_lwrite", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(FIOBufRelease(block), -7);
  EXPECT_EQ(_lclose(f), 0);

  Write("r.bin", Bytes{1, 2});
  f = Open("r.bin");
  block = FIOBufRequest(static_cast<std::uint32_t>(f), 0, 4);
  platform::faults::Arm("_lread", 1, ERROR_IO_DEVICE);
  EXPECT_EQ(FIOBufRead(block, four, 2), -6);
  EXPECT_EQ(FIOBufRead(block, four, 2), 2);
  EXPECT_EQ(FIOBufRelease(block), 0);
  EXPECT_EQ(_lclose(f), 0);
  // The buffered calls show nothing.
  EXPECT_TRUE(Texts().empty());
}

}  // namespace
