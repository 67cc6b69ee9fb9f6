// Placing overlays on the screen: alignment, clipping, blits, moves, and recovery
// from lost surfaces and a busy blitter.
#include "platform/clock.h"
#include "tests/ddraw_overlay/ddraw_fixture.h"

namespace {

using namespace ddraw_testing;

class Placement : public DDrawTest {
 protected:
  // Shows a 640 x 480 overlay with these rectangles; returns the update the adapter saw.
  sim::DisplayCall Show(RECT dest, RECT src = Rect(0, 0, 640, 480)) {
    if (handle_ == kNone) handle_ = Overlay(640, 480);
    display().ClearCalls();
    EXPECT_EQ(ZPDDraw_MapSurfaceRect(handle_, &dest, &src, 1), 0);
    auto calls = CallsOf(sim::DisplayCallKind::UpdateOverlay);
    EXPECT_EQ(calls.size(), 1u);
    if (calls.empty()) return {};
    // The caller's rectangles are the ones adjusted.
    EXPECT_EQ(*calls[0].dest_rect, dest);
    EXPECT_EQ(*calls[0].source_rect, src);
    return calls[0];
  }
  static constexpr DDrawSurfaceHandle kNone = 0xFFFFFFFF;
  DDrawSurfaceHandle handle_ = kNone;
};

TEST_F(Placement, ClippingAtEachScreenEdgeCutsTheSourceInProportion) {
  Open();  // 1024 x 768
  sim::DisplayCall c = Show(Rect(-100, 0, 540, 480));
  EXPECT_EQ(*c.source_rect, Rect(100, 0, 640, 480));
  EXPECT_EQ(*c.dest_rect, Rect(0, 0, 540, 480));
  EXPECT_EQ(c.flags, DDOVER_SHOW | DDOVER_KEYDEST);
  EXPECT_EQ(c.result, DD_OK);

  c = Show(Rect(460, 0, 1100, 480));
  EXPECT_EQ(*c.source_rect, Rect(0, 0, 564, 480));
  EXPECT_EQ(*c.dest_rect, Rect(460, 0, 1024, 480));

  c = Show(Rect(0, -48, 640, 432));
  EXPECT_EQ(*c.source_rect, Rect(0, 48, 640, 480));

  c = Show(Rect(0, 400, 640, 880));
  EXPECT_EQ(*c.source_rect, Rect(0, 0, 640, 368));
  EXPECT_EQ(*c.dest_rect, Rect(0, 400, 640, 768));

  // All four at once, on a destination twice the source's size.
  c = Show(Rect(-128, -96, 1152, 864));
  EXPECT_EQ(*c.source_rect, Rect(64, 48, 576, 432));
  EXPECT_EQ(*c.dest_rect, Rect(0, 0, 1024, 768));
  auto info = Info(handle_);
  EXPECT_TRUE(info.overlay.visible);
  EXPECT_EQ(info.overlay.dest, Rect(0, 0, 1024, 768));
}

TEST_F(Placement, DestinationsWiderThanHalfTheCoordinateRangeAreCutExactly) {
  sim::DisplayDesc d;
  d.max_overlay_stretch = 0xFFFFFFFF;  // the visible part of such a destination is a sliver of the source
  Open(d);
  // 4e9 wide: the left half lies off the screen, so the source starts at its middle.
  sim::DisplayCall c = Show(Rect(-2000000000, 0, 2000000000, 480));
  EXPECT_EQ(*c.source_rect, Rect(320, 0, 321, 480));
  EXPECT_EQ(*c.dest_rect, Rect(0, 0, 1024, 480));
  // The whole coordinate range high: negating the top edge needs 33 bits.
  c = Show(Rect(0, -2147483647 - 1, 640, 2147483647));
  EXPECT_EQ(*c.source_rect, Rect(0, 240, 640, 241));
  EXPECT_EQ(*c.dest_rect, Rect(0, 0, 640, 768));
}

TEST_F(Placement, AlignmentRoundsBeforeClipping) {
  sim::DisplayDesc d;
  d.align_boundary_dest = 4;
  Open(d);
  sim::DisplayCall c = Show(Rect(13, 10, 653, 490));
  EXPECT_EQ(*c.dest_rect, Rect(16, 10, 656, 490));
  EXPECT_EQ(*c.source_rect, Rect(0, 0, 640, 480));
  // Negative edges round up towards zero, then the clip takes over.
  c = Show(Rect(-3, 0, 637, 480));
  EXPECT_EQ(*c.dest_rect, Rect(0, 0, 640, 480));
}

TEST_F(Placement, SourceAndDestinationSizeAlignment) {
  sim::DisplayDesc d;
  d.align_size_src = 8;
  d.align_size_dest = 8;
  Open(d);
  sim::DisplayCall c = Show(Rect(0, 0, 635, 480), Rect(0, 0, 637, 480));
  EXPECT_EQ(*c.source_rect, Rect(0, 0, 632, 480));
  EXPECT_EQ(*c.dest_rect, Rect(0, 0, 640, 480));
}

TEST_F(Placement, EmptyInvertedOrOffScreenDestinationsFailWithoutAnUpdate) {
  Open();
  DDrawSurfaceHandle h = Overlay();
  display().ClearCalls();
  for (RECT dest : {Rect(10, 10, 10, 100), Rect(100, 10, 50, 100), Rect(0, 50, 100, 20), Rect(-700, 0, -60, 480),
                    Rect(1024, 0, 1664, 480), Rect(0, 768, 640, 1248), Rect(0, -900, 640, -420)}) {
    RECT src = Rect(0, 0, 640, 480);
    EXPECT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 1), -100) << dest;
  }
  RECT src = Rect(0, 0, 640, 480);
  EXPECT_EQ(ZPDDraw_MapSurfaceRect(h, nullptr, &src, 1), -100);
  EXPECT_TRUE(display().Calls().empty());
}

TEST_F(Placement, TheSameDestinationTwiceIsShownTwice) {
  Open();
  DDrawSurfaceHandle h = Overlay();
  for (int i = 0; i < 2; ++i) {
    RECT dest = Rect(10, 10, 650, 490), src = Rect(0, 0, 640, 480);
    EXPECT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);
  }
  EXPECT_EQ(display().CountCalls(sim::DisplayCallKind::UpdateOverlay), 2u);
  // Except when that destination is the one the video port showed last.
  layer().lastPortDestRect = Rect(10, 10, 650, 490);
  RECT dest = Rect(10, 10, 650, 490), src = Rect(0, 0, 640, 480);
  EXPECT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);
  EXPECT_EQ(display().CountCalls(sim::DisplayCallKind::UpdateOverlay), 2u);
  EXPECT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 1), 0);
  EXPECT_EQ(display().CountCalls(sim::DisplayCallKind::UpdateOverlay), 3u);
}

TEST_F(Placement, APlainSurfaceIsBlittedWithTheCallersRectangles) {
  sim::Display& d = Open();
  DDrawSurfaceHandle h;
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 32, 16, &h, 1), 0);
  std::uint32_t pitch;
  auto* memory = static_cast<WORD*>(ZPDDraw_GetSurfaceMemoryPtr(h, &pitch));
  memory[0] = 0xF800;
  RECT dest = Rect(100, 50, 132, 66), src = Rect(0, 0, 32, 16);
  ASSERT_EQ(ZPDDraw_BltOffscreenToPrimary(h, &dest, &src, 0), 0);
  auto blts = CallsOf(sim::DisplayCallKind::Blt);
  ASSERT_EQ(blts.size(), 1u);
  EXPECT_EQ(*blts[0].dest_rect, Rect(100, 50, 132, 66));
  EXPECT_EQ(*blts[0].source_rect, Rect(0, 0, 32, 16));
  EXPECT_EQ(blts[0].surface, PrimaryInfo().id);
  EXPECT_EQ(blts[0].flags, 0u);
  EXPECT_EQ(d.Compose().At(100, 50), RGB(255, 0, 0));
  // Off the screen the adapter refuses it; the layer passes that on.
  dest = Rect(1000, 0, 1032, 16);
  EXPECT_EQ(ZPDDraw_BltOffscreenToPrimary(h, &dest, &src, 0), -100);
  // The back-buffer handle shows nothing.
  EXPECT_EQ(ZPDDraw_BltOffscreenToPrimary(255, &dest, &src, 0), 0);
  EXPECT_EQ(display().CountCalls(sim::DisplayCallKind::Blt), 2u);
}

TEST_F(Placement, OverlayPositionRoundsDownToTheBoundary) {
  sim::DisplayDesc d;
  d.align_boundary_dest = 4;
  Open(d);
  DDrawSurfaceHandle plain;
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 32, 32, &plain, 1), 0);
  EXPECT_EQ(ZPDDraw_SetOverlayPosition(plain, 0, 0), -100);
  EXPECT_TRUE(CallsOf(sim::DisplayCallKind::SetOverlayPosition).empty());

  DDrawSurfaceHandle h = Overlay(320, 240);
  EXPECT_EQ(ZPDDraw_SetOverlayPosition(h, 13, 7), -100);  // not shown yet
  RECT dest = Rect(0, 0, 320, 240), src = dest;
  ASSERT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);
  ASSERT_EQ(ZPDDraw_SetOverlayPosition(h, 13, 7), 0);
  auto moves = CallsOf(sim::DisplayCallKind::SetOverlayPosition);
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_EQ(moves[1].x, 12);
  EXPECT_EQ(moves[1].y, 7);
  EXPECT_EQ(Info(h).overlay.dest, Rect(12, 7, 332, 247));
}

TEST_F(Placement, ABusyBlitterIsAskedAgain) {
  sim::Display& d = Open();
  DDrawSurfaceHandle h;
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 32, 16, &h, 1), 0);
  d.ClearCalls();
  d.SetStillDrawing(3);
  RECT dest = Rect(0, 0, 32, 16), src = dest;
  EXPECT_EQ(ZPDDraw_BltOffscreenToPrimary(h, &dest, &src, 0), 0);
  auto blts = CallsOf(sim::DisplayCallKind::Blt);
  ASSERT_EQ(blts.size(), 4u);
  EXPECT_EQ(blts[0].result, DDERR_WASSTILLDRAWING);
  EXPECT_EQ(blts[3].result, DD_OK);
  // A lock waits the same way.
  d.SetStillDrawing(5);
  std::uint32_t pitch;
  EXPECT_NE(ZPDDraw_GetSurfaceMemoryPtr(h, &pitch), nullptr);
}

TEST_F(Placement, LostSurfacesAreRestoredAndTheNextCallShows) {
  sim::Display& d = Open();
  DDrawSurfaceHandle h = Overlay();
  d.LoseSurfaces();
  RECT dest = Rect(0, 0, 640, 480), src = dest;
  EXPECT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);
  EXPECT_FALSE(Info(h).overlay.visible);
  EXPECT_FALSE(PrimaryInfo().lost);
  EXPECT_FALSE(Info(h).lost);
  EXPECT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), 0);
  EXPECT_TRUE(Info(h).overlay.visible);

  d.LoseSurfaces();
  d.FailRestore(1);
  EXPECT_EQ(ZPDDraw_MapSurfaceRect(h, &dest, &src, 0), -100);
}

TEST_F(Placement, ALockRestoresALostSurfaceAndKeepsItsMemory) {
  sim::Display& d = Open();
  DDrawSurfaceHandle h = Overlay();
  std::uint32_t pitch;
  void* before = ZPDDraw_GetSurfaceMemoryPtr(h, &pitch);
  d.LoseSurfaces(3);  // restored three times before it stays
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(h, &pitch), before);
  d.LoseSurfaces(1);
  d.FailRestore(1);
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(h, &pitch), nullptr);
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(h, &pitch), before);
}

TEST_F(Placement, RetriesGiveUpAfterAboutTwoSeconds) {
  sim::Display& d = Open();
  DDrawSurfaceHandle h = Overlay(64, 64);
  std::uint32_t pitch;
  auto info = Info(h);
  d.LoseSurface(info.id, 1 << 30);  // never stays restored
  DWORD start = GetTickCount();
  EXPECT_EQ(ZPDDraw_GetSurfaceMemoryPtr(h, &pitch), nullptr);
  DWORD spent = GetTickCount() - start;
  EXPECT_GE(spent, 1900u);
  EXPECT_LT(spent, 10000u);

  DDrawSurfaceHandle plain;
  d.LoseSurface(info.id, 0);
  ASSERT_EQ(ZPDDraw_OpenOffscreenSurface(1, 8, 8, &plain, 1), 0);
  d.SetStillDrawing(1 << 30);
  RECT dest = Rect(0, 0, 8, 8), src = dest;
  start = GetTickCount();
  EXPECT_EQ(ZPDDraw_BltOffscreenToPrimary(plain, &dest, &src, 0), -100);
  EXPECT_GE(GetTickCount() - start, 1900u);
  d.SetStillDrawing(0);
}

}  // namespace
