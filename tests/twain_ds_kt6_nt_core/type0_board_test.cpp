// The Windows NT builds on a type-0 board, which has no strobe: the strobe calls
// fail into the trace hook, and the acquisition goes on all the same.
#include "platform/global_memory.h"
#include "tests/twain_ds_kt6_core/kt6_backend_fixture.h"
#include "twain_ds/backend_kt6/kt6_video_settings.h"

namespace kt6_backend_test {
namespace {

class Type0Board : public Kt6BackendTest {
 protected:
  Type0Board() : Kt6BackendTest(twain_ds::kKt6Ntv) {}
};

TEST_F(Type0Board, TheStrobeCallsFailIntoTheTraceHookAndTheImageIsDeliveredAnyway) {
  sim::MachineDescription desc = OneBoard(sim::kt650::kChip5631, 0);
  desc.display.width = 800;
  desc.display.height = 600;
  Boot(desc);
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  ASSERT_EQ(CaptureWithoutUi(), TWRC_SUCCESS);
  for (const char* text : {"KT6EnableStrobe failed\n", "KT6EnableEvent failed\n", "KT6GenerateEvent failed\n"})
    EXPECT_TRUE(Traced(text)) << text;
  EXPECT_FALSE(Traced("KT6SetVideoFrame failed\n"));
  TW_MEMREF dib = nullptr;
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
  GlobalFree(static_cast<HGLOBAL>(dib));
  // Back to live video: the disarm fails too.
  EXPECT_TRUE(twain_ds::ApplyVideoSettings(false));
  EXPECT_TRUE(Traced("KT6DisableStrobe failed\n"));
}

}  // namespace
}  // namespace kt6_backend_test
