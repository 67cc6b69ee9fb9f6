// The test application against the fake source: its message loop, capabilities and
// the three transfers, with every block it receives copied and freed.
#include <fstream>
#include <iterator>

#include "platform/module_loader.h"
#include "tests/outside/outside_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_output.h"

namespace {

using twain_app::Bytes;
using twain_app::TestApplication;

// The fake source's picture: 3 x 3 grey, row r column c holding r * 16 + c.
constexpr int kSide = 3;
Bytes Picture() {
  Bytes rows;
  for (int row = 0; row < kSide; ++row)
    for (int column = 0; column < kSide; ++column) rows.push_back(static_cast<std::uint8_t>(row * 16 + column));
  return rows;
}

template <class T>
T At(const Bytes& bytes, std::size_t offset) {
  T value{};
  if (offset + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

class TestApplicationTest : public outside_testing::OutsideTest {
 protected:
  // Open and enabled, with the picture ready.
  void Ready(TestApplication& app) {
    if (!app.manager_open()) {
      ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
    }
    if (!app.source_open()) {
      ASSERT_EQ(app.OpenSource("Fake source"), TWRC_SUCCESS);
    }
    ASSERT_EQ(app.Enable(false), TWRC_SUCCESS);
    ASSERT_TRUE(app.WaitForNotification(MSG_XFERREADY, 5000));
  }
};

TEST_F(TestApplicationTest, TheMessageLoopTakesEachNotificationOnceAndDispatchesNoCarrier) {
  TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
  platform::StartMessageLog(app.window());
  ASSERT_EQ(app.Enable(true), TWRC_SUCCESS);
  EXPECT_TRUE(app.WaitForNotification(MSG_CLOSEDSREQ, 5000));
  ASSERT_EQ(app.Disable(), TWRC_SUCCESS);
  ASSERT_EQ(app.Enable(false), TWRC_SUCCESS);
  EXPECT_TRUE(app.WaitForNotification(MSG_XFERREADY, 5000));
  EXPECT_FALSE(app.WaitForNotification(MSG_XFERREADY, 50));
  EXPECT_FALSE(app.WaitForNotification(MSG_CLOSEDSREQ, 50));
  platform::StopMessageLog();
  EXPECT_EQ(app.notifications(), (std::vector<TW_UINT16>{MSG_CLOSEDSREQ, MSG_XFERREADY}));
  for (const platform::LoggedMessage& logged : platform::MessageLog())
    EXPECT_FALSE(logged.message >= WM_APP && logged.message <= 0xBFFF) << std::hex << logged.message;
  EXPECT_EQ(app.EndTransfer(), TWRC_SUCCESS);
}

TEST_F(TestApplicationTest, CapabilityContainersAreCopiedByTheirOwnLengthWithinTheirBlock) {
  TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);

  twain_app::CapabilityAnswer count = app.GetCapability(CAP_XFERCOUNT);
  EXPECT_EQ(count.rc, TWRC_SUCCESS);
  EXPECT_EQ(count.con_type, TWON_ONEVALUE);
  EXPECT_EQ(count.allocated, 6u);
  ASSERT_EQ(count.container.size(), 6u);
  EXPECT_EQ(At<TW_UINT16>(count.container, 2), 0xFFFF);
  EXPECT_EQ(app.SetOneValue(CAP_XFERCOUNT, TWTY_INT16, 1), TWRC_SUCCESS);
  EXPECT_EQ(At<TW_UINT16>(app.GetCapability(CAP_XFERCOUNT).container, 2), 1);

  // The enumeration's block is larger than the container it holds.
  twain_app::CapabilityAnswer pixelType = app.GetCapability(ICAP_PIXELTYPE);
  EXPECT_EQ(pixelType.con_type, TWON_ENUMERATION);
  EXPECT_EQ(pixelType.allocated, 64u);
  ASSERT_EQ(pixelType.container.size(), 18u);
  EXPECT_EQ(At<TW_UINT16>(pixelType.container, 14), TWPT_GRAY);
  EXPECT_EQ(At<TW_UINT16>(pixelType.container, 16), TWPT_RGB);

  // The array claims 100 items in a block of two.
  twain_app::CapabilityAnswer supported = app.GetCapability(CAP_SUPPORTEDCAPS);
  EXPECT_EQ(supported.con_type, TWON_ARRAY);
  EXPECT_EQ(supported.allocated, 10u);
  EXPECT_EQ(supported.container.size(), 10u);

  twain_app::CapabilityAnswer unknown = app.GetCapability(ICAP_BITORDER);
  EXPECT_EQ(unknown.rc, TWRC_FAILURE);
  EXPECT_FALSE(unknown.has_container);
  EXPECT_EQ(app.SourceCondition(), TWCC_BADCAP);
  EXPECT_EQ(app.conditions().back(), TWCC_BADCAP);
}

TEST_F(TestApplicationTest, ANativeTransferCopiesThePackedDibAndEndsTheTransfer) {
  TestApplication app;
  Ready(app);
  twain_app::NativeTransfer native = app.TakeNative();
  ASSERT_EQ(native.rc, TWRC_XFERDONE);
  // Header, a palette of 256 entries for 8 bits with biClrUsed 0, rows padded to 4 bytes.
  constexpr std::size_t kBits = 40 + 256 * 4;
  ASSERT_EQ(native.dib.size(), kBits + 4 * kSide);
  Bytes pixels;
  for (int row = kSide - 1; row >= 0; --row)
    pixels.insert(pixels.end(), native.dib.begin() + kBits + row * 4, native.dib.begin() + kBits + row * 4 + kSide);
  EXPECT_EQ(pixels, Picture());
  EXPECT_EQ(app.native_transfers().size(), 1u);
  // MSG_ENDXFER took the source back to enabled.
  EXPECT_EQ(app.TakeNative().rc, TWRC_FAILURE);
  EXPECT_EQ(app.SourceCondition(), TWCC_SEQERROR);
  EXPECT_EQ(app.Disable(), TWRC_SUCCESS);

  std::string path = testing_support::TestOutputPath("fake_source_native.bmp");
  ASSERT_TRUE(twain_app::WriteDibAsBmp(native.dib, path));
  std::ifstream in(path, std::ios::binary);
  Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_EQ(file.size(), 14 + native.dib.size());
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(At<std::uint32_t>(file, 2), file.size());
  EXPECT_EQ(At<std::uint32_t>(file, 10), 14 + kBits);
  EXPECT_FALSE(twain_app::WriteDibAsBmp(Bytes(39), path));
}

TEST_F(TestApplicationTest, AMemoryTransferKeepsEveryStripAndStopsAtAFailure) {
  TestApplication app;
  Ready(app);
  // The preferred buffer holds two rows and a bit.
  twain_app::MemoryTransfer memory = app.TakeMemory();
  EXPECT_EQ(memory.info_rc, TWRC_SUCCESS);
  EXPECT_EQ(TW_INT32{memory.info.ImageWidth}, kSide);
  EXPECT_EQ(memory.rc, TWRC_XFERDONE);
  ASSERT_EQ(memory.strips.size(), 2u);
  EXPECT_EQ(memory.strips[0].rc, TWRC_SUCCESS);
  EXPECT_EQ(TW_UINT32{memory.strips[0].record.Rows}, 2u);
  EXPECT_EQ(memory.strips[1].rc, TWRC_XFERDONE);
  EXPECT_EQ(TW_UINT32{memory.strips[1].record.YOffset}, 2u);
  Bytes rows = memory.strips[0].data;
  rows.insert(rows.end(), memory.strips[1].data.begin(), memory.strips[1].data.end());
  EXPECT_EQ(rows, Picture());
  EXPECT_EQ(app.Disable(), TWRC_SUCCESS);

  // A buffer smaller than a row.
  Ready(app);
  memory = app.TakeMemory(2);
  EXPECT_EQ(memory.rc, TWRC_FAILURE);
  ASSERT_EQ(memory.strips.size(), 1u);
  EXPECT_TRUE(memory.strips[0].data.empty());
  EXPECT_EQ(app.SourceCondition(), TWCC_BADVALUE);
  EXPECT_EQ(app.memory_transfers().size(), 2u);
  EXPECT_EQ(app.EndTransfer(), TWRC_SUCCESS);
}

TEST_F(TestApplicationTest, AFileTransferReadsWhatTheSourceWroteWhereTheApplicationSaid) {
  testing_support::TempDir dir;
  TestApplication app;
  Ready(app);
  twain_app::FileTransfer file = app.TakeFile(dir.File("picture.bmp"));
  EXPECT_EQ(file.rc, TWRC_XFERDONE);
  EXPECT_EQ(std::string(file.contents.begin(), file.contents.end()), "BMfake");
  EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
}

TEST_F(TestApplicationTest, TheDestructorClosesTheSourceAndTheManager) {
  {
    TestApplication app;
    Ready(app);
    EXPECT_EQ(app.EndTransfer(), TWRC_SUCCESS);
  }
  EXPECT_EQ(LoadLibraryA("TWAIN_32.DLL"), nullptr);
}

}  // namespace
