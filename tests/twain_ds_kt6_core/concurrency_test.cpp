// Freeze, live video and transfers of the build that strobes before every read,
// while the event line keeps firing strobes on the library's interrupt thread:
// the sanitizer builds look for races between the two threads.
#include <atomic>
#include <thread>

#include "platform/clock.h"
#include "platform/global_memory.h"
#include "sim/kt650/kt650_registers.h"
#include "tests/twain_ds_kt6_core/kt6_backend_fixture.h"
#include "twain_ds/backend_kt6/kt6_strobe_event.h"
#include "twain_ds/backend_kt6/kt6_video_window.h"

namespace kt6_backend_test {
namespace {

class StrobesUnderWay : public Kt6BackendTest {
 protected:
  StrobesUnderWay() : Kt6BackendTest(twain_ds::kKt6_95a) {}
};

TEST_F(StrobesUnderWay, FreezeLiveAndTransfersRunWhileTheEventLineFires) {
  Boot();
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  TW_USERINTERFACE ui{FALSE, FALSE, nullptr};
  ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  ASSERT_EQ(twain_ds::g_state, twain_ds::TwainState::kXferReady);

  std::atomic<bool> stop{false};
  std::thread eventLine([&] {
    for (bool level = true; !stop.load(); level = !level) {
      Board().SetLineInput(0, level);
      Sleep(1);
    }
  });
  const twain_ds::VideoWindowOps& video = twain_ds::kKt6VideoWindow;
  for (int round = 0; round < 3; ++round) {
    video.freeze();
    Sleep(10);
    video.unfreeze();
    TW_MEMREF dib = nullptr;
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
    ASSERT_NE(dib, nullptr);
    GlobalFree(static_cast<HGLOBAL>(dib));
    std::vector<std::uint8_t> buffer(640 * 3 * 243);
    TW_IMAGEMEMXFER strip{};
    strip.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    strip.Memory.Length = static_cast<TW_UINT32>(buffer.size());
    strip.Memory.TheMem = buffer.data();
    TW_UINT16 rc = TWRC_SUCCESS;
    for (int call = 0; call < 4 && rc == TWRC_SUCCESS; ++call) rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
    EXPECT_EQ(rc, TWRC_XFERDONE);
  }
  stop = true;
  eventLine.join();
  twain_ds::DisableStrobeEvent();
  ASSERT_TRUE(sim::CurrentMachine()->WaitUntilInterruptsServed());
  EXPECT_GT(StrobeRises(), 3u);
  for (const std::string& text : Traces()) EXPECT_EQ(text.find("Disable"), std::string::npos) << text;
}

}  // namespace
}  // namespace kt6_backend_test
