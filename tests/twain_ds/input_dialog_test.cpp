// The main dialog as the user drives it: live video, Stop and Video, Save and
// Cancel with their notifications, panning, and the Source and Format dialogs.
#include <algorithm>

#include "platform/controls.h"
#include "platform/screen_picture.h"
#include "rg7sdk/board_records.h"
#include "rg7sdk/rg7sdk.h"
#include "tests/support/test_output.h"
#include "tests/twain_ds/input_dialog_fixture.h"
#include "tests/twain_ds/transfer_fixture.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/format_dialog_ids.h"
#include "twain_ds/source_dialog_ids.h"

namespace twain_ds_test {
namespace {

using twain_ds::CCaptureEngine;
using twain_ds::g_captureEngine;
using twain_ds::TwainState;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

std::size_t WindowsTitled(const char* title) {
  std::size_t count = 0;
  for (HWND w = platform::automation::FindWindow(nullptr, title); w; w = nullptr) count += IsWindow(w) ? 1 : 0;
  return count;
}

TEST_F(InputDialogTest, EnableShowsLiveVideoInsideTheVideoWindow) {
  WriteSettings("StrobeOn=0\r\n");
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  EXPECT_EQ(twain_ds::g_state, TwainState::kEnabled);
  ASSERT_NE(Dialog(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Dialog()));
  EXPECT_EQ(GetParent(Dialog()), parent_);
  Pump(60);
  // The overlay goes up once the video window has been placed.
  EXPECT_TRUE(PumpUntil([] {
    std::vector<sim::SurfaceInfo> shown = Overlays();
    return shown.size() == 1 && shown[0].overlay.visible;
  }));

  HWND video = Item(twain_ds::IDC_INPUT_VIDEO_WINDOW);
  RECT client{};
  GetClientRect(video, &client);
  EXPECT_EQ(Width(client), 640);
  EXPECT_EQ(Height(client), 480);
  ASSERT_NE(g_captureEngine, nullptr);
  EXPECT_TRUE(g_captureEngine->grabbing());
  std::vector<sim::SurfaceInfo> overlays = Overlays();
  ASSERT_EQ(overlays.size(), 1u);
  EXPECT_TRUE(overlays[0].overlay.visible);
  RECT place = ScreenRect(video);
  EXPECT_EQ(overlays[0].overlay.dest.left, place.left);
  EXPECT_EQ(overlays[0].overlay.dest.top, place.top);

  // Where the window shows the key, the screen shows the camera's picture: the
  // last frame once Stop has ended the DMA, so that the picture is whole.
  Click(twain_ds::IDC_INPUT_STOP);
  ASSERT_FALSE(g_captureEngine->grabbing());
  platform::Picture screen = platform::RenderScreen();
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath("input_dialog_live.png")));
  COLORREF key = twain_ds::FormatSettings().color_key;
  int differing = 0;
  for (int x = place.left + 40; x < place.right - 40; x += 37)
    for (int y = place.top + 10; y < place.bottom - 10; y += 29)
      differing += screen.At(static_cast<DWORD>(x), static_cast<DWORD>(y)) != key;
  EXPECT_GT(differing, 100);

  EXPECT_EQ(Enable(true), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_SEQERROR);
}

TEST_F(InputDialogTest, AParentThatIsNoWindowOfOursOwnsNothing) {
  ASSERT_EQ(Open(), TWRC_SUCCESS);
  // A toolkit's own handle, as a Linux application passes it.
  TW_USERINTERFACE ui{TRUE, FALSE, reinterpret_cast<TW_HANDLE>(std::uintptr_t{0x5a17c0de})};
  ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  EXPECT_EQ(GetParent(Dialog()), nullptr);
  EXPECT_EQ(twain_ds::g_parentWindow, nullptr);
}

TEST_F(InputDialogTest, SaveAnnouncesTheImageEachTimeAndCancelAsksForTheClose) {
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  Pump();
  Click(IDOK);
  EXPECT_EQ(twain_ds::g_state, TwainState::kXferReady);
  twain_ds::g_state = TwainState::kEnabled;
  Click(IDOK);
  EXPECT_EQ(twain_ds::g_state, TwainState::kXferReady);
  EXPECT_EQ(Notifications(), (std::vector<TW_UINT16>{MSG_XFERREADY, MSG_XFERREADY}));
  EXPECT_TRUE(IsWindowVisible(Dialog()));

  Click(IDCANCEL);
  EXPECT_EQ(Notifications().back(), MSG_CLOSEDSREQ);
  EXPECT_FALSE(IsWindowVisible(Dialog()));
}

TEST_F(InputDialogTest, NotificationsReachTheLinuxSourceManagerByItsSoname) {
  platform::RegisterSourceManager(nullptr);
  void* linuxManager = ::dlopen(SONAME_MANAGER_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(linuxManager, nullptr);
  std::vector<TW_UINT16> received;
  static std::vector<TW_UINT16>* sink = nullptr;
  sink = &received;
  auto setHandler = reinterpret_cast<void (*)(void (*)(TW_UINT16))>(::dlsym(linuxManager, "SetNotificationHandler"));
  ASSERT_NE(setHandler, nullptr);
  setHandler([](TW_UINT16 message) { sink->push_back(message); });
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  Pump();
  Click(IDOK);
  EXPECT_EQ(received, std::vector<TW_UINT16>{MSG_XFERREADY});
  EXPECT_TRUE(Notifications().empty());
  // The notification used the copy already in the process, never a second one.
  void* again = ::dlopen("libtwaindsm.so.2", RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(again, linuxManager);
  if (again) ::dlclose(again);
  ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_SUCCESS);
  setHandler(nullptr);
  ::dlclose(linuxManager);
}

TEST_F(InputDialogTest, TheApplicationMayCloseTheSourceFromInsideEitherNotification) {
  for (int button : {IDOK, IDCANCEL}) {
    ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
    Pump();
    HWND dialog = Dialog();
    OnNotification() = [this](TW_UINT16) {
      EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_SUCCESS);
    };
    Click(button);
    OnNotification() = nullptr;
    EXPECT_EQ(twain_ds::g_state, TwainState::kLoaded);
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(g_captureEngine, nullptr);
    Pump();
  }
}

TEST_F(InputDialogTest, DisableHidesOrKeepsTheDialogAndTheNextEnableReplacesIt) {
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  HWND first = Dialog();
  ASSERT_EQ(Disable(false), TWRC_SUCCESS);
  EXPECT_EQ(twain_ds::g_state, TwainState::kOpen);
  EXPECT_FALSE(IsWindowVisible(first));

  ASSERT_EQ(Enable(true), TWRC_SUCCESS);
  HWND second = Dialog();
  EXPECT_FALSE(IsWindow(first));
  ASSERT_EQ(Disable(true), TWRC_SUCCESS);
  EXPECT_TRUE(IsWindowVisible(second));
  ASSERT_EQ(Enable(true), TWRC_SUCCESS);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(WindowsTitled("Input"), 1u);
  // One engine callback, one overlay: the old dialog's video is gone.
  EXPECT_EQ(Overlays().size(), 1u);
}

TEST_F(InputDialogTest, StopFreezesVideoResumesAndAFrozenCloseLeavesTheGrabStopped) {
  WriteSettings("StrobeOn=0\r\n");
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  Pump();
  EXPECT_FALSE(IsWindowEnabled(Item(twain_ds::IDC_INPUT_VIDEO)));
  EXPECT_FALSE(platform::automation::Click(Item(twain_ds::IDC_INPUT_VIDEO)));
  EXPECT_TRUE(g_captureEngine->grabbing());
  Click(twain_ds::IDC_INPUT_STOP);
  EXPECT_FALSE(g_captureEngine->grabbing());
  EXPECT_TRUE(g_captureEngine->frozen());
  EXPECT_TRUE(IsWindowEnabled(Item(twain_ds::IDC_INPUT_VIDEO)));
  EXPECT_FALSE(IsWindowEnabled(Item(twain_ds::IDC_INPUT_STOP)));
  Click(twain_ds::IDC_INPUT_VIDEO);
  EXPECT_TRUE(g_captureEngine->grabbing());
  Click(twain_ds::IDC_INPUT_STOP);

  ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_SUCCESS);
  std::uint32_t before = rg7::g_boardRecords[0].grab_starts.load();
  Pump(20);
  EXPECT_EQ(rg7::g_boardRecords[0].grab_starts.load(), before);
}

TEST_F(InputDialogTest, StopThenSaveDeliversTheFrozenFrameAndEndsInLiveVideo) {
  WriteSettings("StrobeOn=0\r\n");
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  Pump(20);
  Click(twain_ds::IDC_INPUT_STOP);
  ASSERT_FALSE(g_captureEngine->grabbing());
  std::vector<BYTE> frozen(640 * 2);
  ASSERT_EQ(g_captureEngine->ReadSurfaceRect(0, 0, 640, 1, frozen.data()), 0);
  Pump(20);
  Click(IDOK);
  ASSERT_EQ(twain_ds::g_state, TwainState::kXferReady);
  TW_HANDLE dib = nullptr;
  ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
  const auto* bytes = static_cast<const std::uint8_t*>(dib);
  Image image = DibRows(bytes, bytes + 40);
  std::vector<std::uint8_t> expected(640 * 3);
  RG7Yuv2Rgb888CCIR601_422(frozen.data(), expected.data(), 640);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.Row(0)));
  GlobalFree(dib);
  EXPECT_TRUE(g_captureEngine->grabbing());
}

TEST_F(InputDialogTest, ArrowKeysPanTheImageWindowByPixelPairsUpToTheFrameEdge) {
  WriteSettings("[Format]\r\nWidth=600\r\nHeight=470\r\n");
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  Pump();
  SetFocus(Item(IDOK));
  twain_ds::CFormatSettings& format = twain_ds::FormatSettings();
  ASSERT_EQ(format.window_width, 600);
  for (int i = 0; i < 30; ++i) platform::automation::PressKey(VK_LEFT);
  for (int i = 0; i < 15; ++i) platform::automation::PressKey(VK_UP);
  Pump();
  EXPECT_EQ(format.offset_x, 40);
  EXPECT_EQ(format.offset_y, 10);
  for (int i = 0; i < 3; ++i) platform::automation::PressKey(VK_RIGHT);
  platform::automation::PressKey(VK_DOWN);
  Pump();
  EXPECT_EQ(format.offset_x, 34);
  EXPECT_EQ(format.offset_y, 9);
  // The overlay shows the panned window.
  std::vector<sim::SurfaceInfo> overlays = Overlays();
  ASSERT_EQ(overlays.size(), 1u);
  EXPECT_EQ(overlays[0].overlay.source.left, 34);
  EXPECT_EQ(overlays[0].overlay.source.top, 9);
}

TEST_F(InputDialogTest, SourceOkWithPalGivesThePalOverlay) {
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  Pump();
  WhenActive("Source", [](HWND source) {
    platform::automation::Check(GetDlgItem(source, twain_ds::IDC_SOURCE_PAL), true);
    platform::automation::Click(GetDlgItem(source, IDOK));
  });
  Click(twain_ds::IDC_INPUT_SOURCE);
  EXPECT_EQ(twain_ds::SourceSettings().tv_standard, 1);
  std::vector<sim::SurfaceInfo> overlays = Overlays();
  ASSERT_EQ(overlays.size(), 1u);
  EXPECT_EQ(overlays[0].width, 768u);
  EXPECT_EQ(overlays[0].height, 574u);
  EXPECT_TRUE(g_captureEngine->grabbing());
}

TEST_F(InputDialogTest, FormatEditsReachTheBoardAndTheDialogLayout) {
  ASSERT_EQ(OpenAndEnable(), TWRC_SUCCESS);
  Pump();
  HWND video = Item(twain_ds::IDC_INPUT_VIDEO_WINDOW);
  RECT dialogBefore = ScreenRect(Dialog());
  RECT saveBefore = ScreenRect(Item(IDOK));
  std::uint32_t surface = Overlays().at(0).id;
  WhenActive("Format", [](HWND format) {
    platform::automation::MoveSlider(GetDlgItem(format, twain_ds::IDC_FORMAT_HUE_SLIDER), 40);
    platform::automation::SetText(GetDlgItem(format, twain_ds::IDC_FORMAT_WIDTH), "400");
  });
  WhenActive("Format", [](HWND format) { platform::automation::Click(GetDlgItem(format, IDOK)); });
  Click(twain_ds::IDC_INPUT_FORMAT);
  Pump();

  EXPECT_EQ(RG7GetHue(), 40);
  // Hue and size changed nothing else: the same overlay, still live.
  EXPECT_EQ(Overlays().at(0).id, surface);
  EXPECT_TRUE(g_captureEngine->grabbing());
  RECT client{};
  GetClientRect(video, &client);
  EXPECT_EQ(Width(client), 400);
  EXPECT_EQ(Width(ScreenRect(Dialog())), Width(dialogBefore) - 240);
  EXPECT_EQ(ScreenRect(Item(IDOK)).left, saveBefore.left - 240);
  EXPECT_EQ(ScreenRect(Item(IDOK)).top, saveBefore.top);
}

}  // namespace
}  // namespace twain_ds_test
