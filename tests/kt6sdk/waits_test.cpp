// The waits on the video's vertical sync, by interrupt and by polling, and on the
// display's retrace: each ends with the sync, or with -35 after 200 ms.
#include <gtest/gtest.h>

#include <string>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "platform/clock.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace {

using sim::kt650::kChip8A01;
using sim::kt650::kChip8A22;

class Waits : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& OpenWithCamera(std::uint16_t chip, std::uint8_t type, const std::string& kill) {
    sim::Kt650Desc board = kt6_testing::Board(chip);
    board.type = type;
    // At the camera's own rate: a loaded machine still sees every field.
    sim::Machine& m = Boot(kt6_testing::MachineWith(board));
    WriteIni("[Other]\nAutoI2CTimingEnable=0\nKillInterrupt=" + kill + "\n");
    EXPECT_EQ(KT6Open(0x151), 0);
    return m.kt650(0);
  }
};

TEST_F(Waits, VerticalSyncsAreWaitedForAndTheirAbsenceTimesOut) {
  struct Case {
    std::uint16_t chip;
    std::uint8_t type;
    const char* kill;
  } cases[] = {{kChip8A22, 3, "0"}, {kChip8A22, 3, "1"}, {kChip8A22, 4, "1"}, {kChip8A01, 1, "1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " KillInterrupt " << c.kill);
    sim::Kt650Board& board = OpenWithCamera(c.chip, c.type, c.kill);
    EXPECT_EQ(KT6InquireField(), KT6_ERR_GENERAL);  // not initialised
    kt6::g_state.initialised = 1;
    bool fields[2] = {false, false};
    for (int i = 0; i < 8; ++i) {
      ASSERT_EQ(KT6WaitForVSync(), 0) << i;
      std::int32_t field = KT6InquireField();
      ASSERT_TRUE(field == 16 || field == 32) << field;
      fields[field == 32] = true;
    }
    EXPECT_TRUE(fields[0] && fields[1]);
    ASSERT_EQ(KT6WaitForField(1), 0);
    EXPECT_EQ(KT6InquireField(), 16);
    ASSERT_EQ(KT6WaitForField(0), 0);
    EXPECT_EQ(KT6InquireField(), 32);

    board.video_inputs().SetCamera(0, false);
    for (int i = 0; i < 2; ++i) {
      DWORD start = GetTickCount();
      EXPECT_EQ(KT6WaitForVSync(), KT6_ERR_TIMEOUT);
      DWORD elapsed = GetTickCount() - start;
      EXPECT_GE(elapsed, 195u);
      EXPECT_LT(elapsed, 1000u);
    }
    EXPECT_EQ(KT6WaitForField(0), KT6_ERR_TIMEOUT);
    board.video_inputs().SetCamera(0, true);
    EXPECT_EQ(KT6WaitForVSync(), 0);
    ASSERT_EQ(KT6Close(), 0);
    EXPECT_EQ(KT6WaitForVSync(), KT6_ERR_GENERAL);
    ShutDown();
  }
}

TEST_F(Waits, TheRetraceWaitIsBoundedAsAWhole) {
  sim::Kt650Desc board = kt6_testing::Board(kChip8A22);
  board.refresh_hz = 1;  // a retrace a second
  Boot(kt6_testing::MachineWith(board));
  WriteIni("[Other]\nAutoI2CTimingEnable=0\n");
  EXPECT_EQ(KT6WaitForVGAVRetrace(), KT6_ERR_GENERAL);
  ASSERT_EQ(KT6Open(0x151), 0);
  int timeouts = 0;
  for (int i = 0; i < 3; ++i) {
    DWORD start = GetTickCount();
    if (KT6WaitForVGAVRetrace() == KT6_ERR_TIMEOUT) ++timeouts;
    EXPECT_LT(GetTickCount() - start, 400u);
  }
  EXPECT_GE(timeouts, 2);
  sim::CurrentMachine()->kt650(0).SetRefreshRate(500);
  EXPECT_EQ(KT6WaitForVGAVRetrace(), 0);
}

}  // namespace
