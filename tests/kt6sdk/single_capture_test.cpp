// A single capture through the exports on a board whose fields the test steps:
// one whole frame lands after the request, whichever field it comes in, capture
// stays frozen on it, and the result and the callback (once) tell the parity of
// the field that ended it.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "tests/kt6sdk/stepped_capture.h"

namespace {

std::atomic<int> g_calls{0};
std::atomic<std::uint32_t> g_result{0};

void Captured(std::uint32_t result) {
  g_result = result;
  g_calls.fetch_add(1);
}

class SingleCapture : public kt6_testing::SteppedCapture {
 protected:
  // Steps fields until the capture is done; gives the number of the field whose
  // sync completed it.
  std::uint32_t UntilDone() {
    std::uint32_t last = 0;
    for (int i = 0; i < 12 && KT6IsCaptureDone() == 0; ++i) last = Field();
    EXPECT_NE(KT6IsCaptureDone(), 0);
    return last;
  }
};

TEST_F(SingleCapture, OneFrameLandsAndItsCallbackHearsTheLastFieldOnce) {
  for (std::uint8_t type : {2, 4}) {
    SCOPED_TRACE(int(type));
    g_calls = 0;
    sim::Kt650Board& board = OpenStepped(type);
    Fields(3);
    EXPECT_EQ(KT6IsCaptureDone(), 0);  // no capture yet
    std::uint32_t asked = board.field_clock().field_count();
    ASSERT_EQ(KT6SingleCapture(Captured), 0);
    EXPECT_EQ(KT6IsCaptureDone(), 0);
    std::uint32_t last = UntilDone();
    EXPECT_EQ(KT6IsCaptureDone(), (last & 1) ? 16 : 32);
    EXPECT_EQ(g_calls.load(), 1);
    EXPECT_EQ(g_result.load(), static_cast<std::uint32_t>(KT6IsCaptureDone()));
    std::vector<std::uint32_t> frame = Landed();
    // Both fields of one frame, taken after the request.
    EXPECT_EQ(frame[0] % 2, 0u);
    EXPECT_EQ(frame[1], frame[0] + 1);
    EXPECT_GE(frame[0], asked);

    // Frozen on it; the callback is not heard from again.
    Fields(6);
    EXPECT_EQ(Landed(), frame);
    EXPECT_EQ(g_calls.load(), 1);

    // Re-armed without a callback (the one before was forgotten with its capture),
    // at the other field.
    if (board.field_clock().field_count() % 2 == asked % 2) Field();
    ASSERT_EQ(KT6SingleCapture(nullptr), 0);
    EXPECT_EQ(KT6IsCaptureDone(), 0);
    last = UntilDone();
    EXPECT_EQ(KT6IsCaptureDone(), (last & 1) ? 16 : 32);
    EXPECT_EQ(g_calls.load(), 1);
    std::vector<std::uint32_t> again = Landed();
    EXPECT_GT(again[0], frame[0]);
    EXPECT_EQ(again[1], again[0] + 1);
    Fields(4);
    EXPECT_EQ(Landed(), again);
    ShutDown();
  }
}

}  // namespace
