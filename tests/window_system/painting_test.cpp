// What windows look like on the screen: frames, captions, backgrounds, clipping,
// the desktop they uncover, text, overlays through the key colour, PNG pictures.
#include <png.h>

#include "platform/pixel_encoding.h"
#include "platform/screen_picture.h"
#include "sim/display/display_formats.h"
#include "tests/support/test_output.h"
#include "tests/window_system/window_fixture.h"

namespace {

using namespace window_testing;

const COLORREF kTeal = RGB(0, 128, 128), kNavy = RGB(0, 0, 128), kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(200, 30, 40), kGreen = RGB(20, 160, 60), kBlue = RGB(30, 40, 210);

platform::Picture ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  platform::Picture p;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
  image.format = PNG_FORMAT_RGB;
  p.width = image.width;
  p.height = image.height;
  p.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) p = {};
  return p;
}

TEST_F(DesktopTest, AWindowPicturesWithFrameCaptionTitleAndItsClassBackground) {
  RegisterTestClass("Test", CreateSolidBrush(kRed));
  HWND w = Create(WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 50, 40, 200, 120, nullptr, "Hello");
  Pump();
  platform::Picture p = platform::RenderWindow(w);
  ASSERT_EQ(p.width, 200u);
  ASSERT_EQ(p.height, 120u);
  EXPECT_EQ(p.At(1, 1), kWhite);            // the raised frame's light inner edge
  EXPECT_EQ(p.At(199, 119), RGB(0, 0, 0));  // and its dark outer edge
  EXPECT_EQ(p.At(150, 4), kNavy);           // caption below the 3-pixel frame
  EXPECT_EQ(p.At(6, 12), kWhite);           // the upright of the title's "H"
  EXPECT_EQ(p.At(100, 21), kNavy);          // the caption's last row
  EXPECT_EQ(p.At(100, 22), kRed);           // the client's first row
  EXPECT_EQ(p.At(196, 116), kRed);
  EXPECT_EQ(platform::RenderScreen().At(10, 10), kTeal);  // the desktop around it

  std::string path = testing_support::TestOutputPath("window_with_caption.png");
  ASSERT_TRUE(platform::WritePng(p, path));
  platform::Picture back = ReadPng(path);
  EXPECT_EQ(back.width, 200u);
  EXPECT_EQ(back.rgb, p.rgb);
  EXPECT_FALSE(platform::WritePng(p, "/nonexistent-dir/x.png"));
}

TEST_F(DesktopTest, AReplacedClassBrushPaintsAtTheNextErase) {
  HBRUSH first = CreateSolidBrush(kRed);
  RegisterTestClass("Test", first);
  HWND w = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  Pump();
  HBRUSH second = CreateSolidBrush(kGreen);
  EXPECT_EQ(SetClassLongPtrA(w, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(second)),
            reinterpret_cast<ULONG_PTR>(first));
  EXPECT_TRUE(DeleteObject(first));
  EXPECT_EQ(platform::RenderScreen().At(50, 50), kRed);  // nothing repainted yet
  InvalidateRect(w, nullptr, TRUE);
  UpdateWindow(w);
  EXPECT_EQ(platform::RenderScreen().At(50, 50), kGreen);
  EXPECT_EQ(GetClassLongPtrA(w, GCLP_HBRBACKGROUND), reinterpret_cast<ULONG_PTR>(second));
  // A system colour index + 1 serves as a brush too.
  SetClassLongPtrA(w, GCLP_HBRBACKGROUND, COLOR_BTNFACE + 1);
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(platform::RenderScreen().At(50, 50), GetSysColor(COLOR_BTNFACE));
}

TEST_F(DesktopTest, WhatAWindowUncoversIsRepaintedBeneathIt) {
  RegisterTestClass("Green", CreateSolidBrush(kGreen));
  RegisterTestClass("Blue", CreateSolidBrush(kBlue));
  HWND below = Create(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, "", "Green");
  HWND above = Create(WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, nullptr, "", "Blue");
  Pump();
  EXPECT_EQ(platform::RenderScreen().At(150, 150), kBlue);
  MoveWindow(above, 400, 300, 200, 150, TRUE);
  Pump();
  platform::Picture screen = platform::RenderScreen();
  EXPECT_EQ(screen.At(150, 150), kGreen);
  EXPECT_EQ(screen.At(250, 250), kTeal);
  EXPECT_EQ(screen.At(450, 350), kBlue);
  ShowWindow(above, SW_HIDE);
  DestroyWindow(below);
  Pump();
  screen = platform::RenderScreen();
  EXPECT_EQ(screen.At(150, 150), kTeal);
  EXPECT_EQ(screen.At(450, 350), kTeal);
}

TEST_F(DesktopTest, DrawingIsClippedToWhatOfTheWindowIsVisible) {
  RegisterTestClass("Test", CreateSolidBrush(kWhite));
  RegisterTestClass("Blue", CreateSolidBrush(kBlue));
  HWND parent = Create(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 200, 200);
  Create(WS_CHILD | WS_VISIBLE, 50, 50, 20, 20, parent, "", "Blue");
  Create(WS_POPUP | WS_VISIBLE, 150, 150, 100, 100, nullptr, "", "Blue");
  Pump();
  HDC dc = GetDC(parent);
  RECT all{0, 0, 200, 200};
  HBRUSH red = CreateSolidBrush(kRed);
  EXPECT_EQ(FillRect(dc, &all, red), 1);
  EXPECT_EQ(GetPixel(dc, 10, 10), kRed);
  EXPECT_EQ(GetPixel(dc, 60, 60), CLR_INVALID);    // the child's
  EXPECT_EQ(GetPixel(dc, 160, 160), CLR_INVALID);  // the window above's
  ReleaseDC(parent, dc);
  DeleteObject(red);
  platform::Picture screen = platform::RenderScreen();
  EXPECT_EQ(screen.At(10, 10), kRed);
  EXPECT_EQ(screen.At(60, 60), kBlue);
  EXPECT_EQ(screen.At(160, 160), kBlue);
  EXPECT_EQ(screen.At(199, 100), kRed);
}

TEST_F(DesktopTest, OverlappingSiblingsPaintBottomFirstAndClipOnlyWithClipSiblings) {
  RegisterTestClass("Test", CreateSolidBrush(kWhite));
  RegisterTestClass("Red", CreateSolidBrush(kRed));
  RegisterTestClass("Green", CreateSolidBrush(kGreen));
  HWND parent = Create(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
  HWND top = Create(WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, parent, "", "Red");  // first made, top of the z-order
  HWND below = Create(WS_CHILD | WS_VISIBLE, 50, 50, 100, 100, parent, "", "Green");
  Pump();
  EXPECT_EQ(platform::RenderScreen().At(75, 75), kRed);
  // Without WS_CLIPSIBLINGS the lower one draws over the upper one when it paints.
  InvalidateRect(below, nullptr, TRUE);
  UpdateWindow(below);
  EXPECT_EQ(platform::RenderScreen().At(75, 75), kGreen);
  InvalidateRect(top, nullptr, TRUE);
  UpdateWindow(top);
  SetWindowLongA(below, GWL_STYLE, GetWindowLongA(below, GWL_STYLE) | static_cast<LONG>(WS_CLIPSIBLINGS));
  InvalidateRect(below, nullptr, TRUE);
  UpdateWindow(below);
  platform::Picture screen = platform::RenderScreen();
  EXPECT_EQ(screen.At(75, 75), kRed);
  EXPECT_EQ(screen.At(140, 140), kGreen);
  // A parent that does not clip its children paints them again after itself.
  InvalidateRect(parent, nullptr, TRUE);
  Pump();
  screen = platform::RenderScreen();
  EXPECT_EQ(screen.At(5, 5), kWhite);
  EXPECT_EQ(screen.At(75, 75), kRed);
  EXPECT_EQ(screen.At(140, 140), kGreen);
}

TEST_F(DesktopTest, ValidatingTheWholeWindowEndsItsPaintAndDrawsTheFrame) {
  RegisterTestClass("Test", CreateSolidBrush(kRed));
  bool byRedraw = false;
  handler_ = [&](HWND hwnd, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m != WM_PAINT) return false;
    if (byRedraw)
      RedrawWindow(hwnd, nullptr, nullptr, RDW_VALIDATE);
    else
      ValidateRect(hwnd, nullptr);
    return true;
  };
  auto paintsRetrieved = [] {
    int paints = 0;
    MSG m;
    while (paints < 5 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      paints += m.message == WM_PAINT;
      DispatchMessageA(&m);
    }
    return paints;
  };
  HWND w = Create(WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 50, 40, 200, 120, nullptr, "Hello");
  EXPECT_EQ(paintsRetrieved(), 1);
  EXPECT_EQ(platform::RenderWindow(w).At(150, 4), kNavy);  // the caption
  byRedraw = true;
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
  EXPECT_EQ(paintsRetrieved(), 1);
}

TEST_F(DesktopTest, TextIsPlacedByItsFormat) {
  RegisterTestClass("Test", CreateSolidBrush(kWhite));
  HWND w = Create(WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  Pump();
  HDC dc = GetDC(w);
  RECT calc{10, 10, 10, 10};
  EXPECT_EQ(DrawTextA(dc, "&Save", -1, &calc, DT_CALCRECT | DT_SINGLELINE), 13);
  EXPECT_EQ(calc.right, 10 + 4 * 6);  // the prefix takes no room
  SIZE size;
  GetTextExtentPoint32A(dc, "Format", 6, &size);
  EXPECT_EQ(size.cx, 36);
  EXPECT_EQ(size.cy, 13);
  // "I" centred in 60 x 33: its cell starts at x 27, y 10; the upright is column 2.
  RECT box{0, 0, 60, 33};
  DrawTextA(dc, "I", 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  for (int row = 13; row <= 19; ++row) EXPECT_EQ(GetPixel(dc, 29, row), RGB(0, 0, 0)) << row;
  EXPECT_EQ(GetPixel(dc, 28, 15), kWhite);
  EXPECT_EQ(GetPixel(dc, 29, 12), kWhite);
  // The mnemonic is underlined, in the text colour, on the cell's row 11.
  SetTextColor(dc, kBlue);
  SetBkMode(dc, TRANSPARENT);
  RECT save{100, 50, 200, 63};
  DrawTextA(dc, "&Save", -1, &save, DT_LEFT | DT_SINGLELINE);
  for (int x = 100; x < 105; ++x) EXPECT_EQ(GetPixel(dc, x, 61), kBlue);
  EXPECT_EQ(GetPixel(dc, 106, 61), kWhite);
  // Word breaks keep lines within the rectangle.
  RECT para{0, 40, 60, 40};
  EXPECT_EQ(DrawTextA(dc, "one two three four", -1, &para, DT_WORDBREAK | DT_CALCRECT), 26);
  EXPECT_LE(para.right, 60);
  ReleaseDC(w, dc);
}

TEST_F(DesktopTest, AClientPaintedInTheKeyColourShowsTheOverlay) {
  const COLORREF magenta = RGB(255, 0, 255);
  RegisterTestClass("Video", CreateSolidBrush(magenta));
  ASSERT_NE(Create(WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 100, 100, 200, 150, nullptr, "Video", "Video"), nullptr);
  Pump();

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  std::shared_ptr<platform::DisplaySurface> primary, overlay;
  ASSERT_EQ(display().CreateSurface(desc, &primary), DD_OK);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = 320;
  desc.dwHeight = 240;
  desc.ddsCaps.dwCaps = DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
  desc.ddpfPixelFormat = sim::FourCCFormat(sim::kFourCC_YUY2);
  ASSERT_EQ(display().CreateSurface(desc, &overlay), DD_OK);
  platform::SurfaceMemory m;
  ASSERT_EQ(overlay->Lock(&m), DD_OK);
  for (DWORD y = 0; y < 240; ++y)
    for (DWORD x = 0; x < 320; x += 2) {
      BYTE* p = m.base + y * m.pitch + x * 2;
      p[0] = 81, p[1] = 90, p[2] = 81, p[3] = 240;
    }
  overlay->Unlock();
  DDOVERLAYFX fx{};
  fx.dwSize = sizeof fx;
  DWORD key = platform::EncodeColor(m.format.dwFlags ? display().desktop().format : m.format, magenta);
  fx.dckDestColorkey = DDCOLORKEY{key, key};
  RECT source{0, 0, 320, 240}, dest{0, 0, 640, 480};
  ASSERT_EQ(overlay->UpdateOverlay(&source, primary.get(), &dest, DDOVER_SHOW | DDOVER_KEYDESTOVERRIDE, &fx), DD_OK);

  platform::Picture screen = platform::RenderScreen();
  EXPECT_EQ(screen.At(200, 200), sim::YuvToRgb(81, 90, 240));  // the client shows the video
  EXPECT_EQ(screen.At(200, 110), kNavy);                       // the caption does not
  EXPECT_EQ(screen.At(20, 20), kTeal);                         // nor the desktop
  EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath("overlay_through_key.png")));
  overlay->UpdateOverlay(nullptr, primary.get(), nullptr, DDOVER_HIDE, nullptr);
}

TEST_F(DesktopTest, ControlsGetTheirColoursFromTheDefaultHandling) {
  RegisterTestClass();
  HWND w = Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  HDC dc = GetDC(w);
  EXPECT_EQ(SendMessageA(w, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE)));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_3DFACE));
  EXPECT_EQ(SendMessageA(w, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
  ReleaseDC(w, dc);
}

TEST_F(DesktopTest, ANewDesktopIsPaintedAfreshInItsOwnPixelEncoding) {
  RegisterTestClass("Test", CreateSolidBrush(RGB(200, 30, 40)));
  HWND w = Create(WS_POPUP | WS_VISIBLE, 10, 10, 100, 100);
  Pump();
  sim::Display& display16 = testing_support::PowerOnDesktop(320, 240, 16);
  InvalidateRect(w, nullptr, TRUE);  // the window system notices the new desktop
  Pump();
  const DDPIXELFORMAT& f = display16.desktop().format;
  auto shown = [&](COLORREF c) { return platform::DecodeColor(f, platform::EncodeColor(f, c)); };
  platform::Picture screen = platform::RenderScreen();
  EXPECT_EQ(screen.width, 320u);
  EXPECT_EQ(screen.At(50, 50), shown(RGB(200, 30, 40)));
  EXPECT_NE(screen.At(50, 50), RGB(200, 30, 40));  // 5-6-5 cannot hold it exactly
  EXPECT_EQ(screen.At(200, 200), shown(RGB(0, 128, 128)));
}

TEST_F(DesktopTest, APaintDrawsTheFrameThenErasesAndLeavesTheWindowValid) {
  RegisterTestClass("Test", CreateSolidBrush(RGB(255, 255, 255)));
  HWND w = Create(WS_POPUP | WS_BORDER | WS_VISIBLE, 10, 10, 100, 100);
  platform::StartMessageLog(w);
  Pump();
  using M = platform::LoggedMessage;
  const auto sent = platform::MessageKind::Sent;
  auto log = platform::MessageLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], (M{w, WM_PAINT, 0, 0, platform::MessageKind::Posted}));
  EXPECT_EQ(log[1], (M{w, WM_NCPAINT, 1, 0, sent}));
  EXPECT_EQ(log[2].message, WM_ERASEBKGND);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));
  platform::ClearMessageLog();
  Pump();
  EXPECT_TRUE(platform::MessageLog().empty());
  // Part of the client, without erasing: only WM_PAINT, with that part to paint.
  RECT part{10, 10, 20, 20};
  InvalidateRect(w, &part, FALSE);
  PAINTSTRUCT ps{};
  handler_ = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
    if (m != WM_PAINT) return false;
    BeginPaint(h, &ps);
    EndPaint(h, &ps);
    return true;
  };
  UpdateWindow(w);
  EXPECT_EQ(Messages(platform::MessageLog()), (std::vector<UINT>{WM_PAINT}));
  EXPECT_EQ(ps.rcPaint.left, 10);
  EXPECT_EQ(ps.rcPaint.bottom, 20);
  EXPECT_FALSE(ps.fErase);
}

}  // namespace
