// Monitors as the system finds them: the virtual-screen metrics, the monitor at a
// point, the monitor records, and display device contexts whose pixels are read
// straight from each adapter's display memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/gdi.h"
#include "platform/last_error.h"
#include "platform/user.h"
#include "sim/machine.h"

namespace {

// A plain 16-bit primary of 800 x 600, a 650-series board's 32-bit monitor of
// 1024 x 768 to its left, and a 24-bit monitor of 640 x 480 to its right, lower down.
class MonitorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::MachineDescription d;
    d.display.width = 800;
    d.display.height = 600;
    sim::MonitorDesc left;
    left.display.bits_per_pixel = 32;
    left.display.rgb565 = false;
    left.left = -1024;
    sim::MonitorDesc right;
    right.display.width = 640;
    right.display.height = 480;
    right.display.bits_per_pixel = 24;
    right.left = 800;
    right.top = 100;
    d.more_monitors = {left, right};
    sim::Kt650Desc board;
    board.monitor = 1;
    d.kt650_boards = {board};
    machine_ = &sim::PowerOn(d);
  }
  void TearDown() override { sim::PowerOff(); }

  static MONITORINFOEXA InfoOf(HMONITOR monitor) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetMonitorInfoA(monitor, &info));
    return info;
  }

  sim::Machine* machine_ = nullptr;
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(MonitorsTest, MetricsSpanEveryMonitorAndFollowTheirModes) {
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 3);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_EQ(GetSystemMetrics(SM_XVIRTUALSCREEN), -1024);
  EXPECT_EQ(GetSystemMetrics(SM_YVIRTUALSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1024 + 800 + 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 768);
  // A mode change on a monitor moves the virtual screen's edge.
  ASSERT_EQ(machine_->display(2).SetDisplayMode(1024, 768, 16), DD_OK);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1024 + 800 + 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 868);
  EXPECT_TRUE(SameRect(InfoOf(MonitorFromPoint({900, 500}, MONITOR_DEFAULTTONULL)).rcMonitor, {800, 100, 1824, 868}));

  sim::PowerOff();
  for (int index : {SM_CMONITORS, SM_CXSCREEN, SM_XVIRTUALSCREEN, SM_CXVIRTUALSCREEN, SM_CYVIRTUALSCREEN})
    EXPECT_EQ(GetSystemMetrics(index), 0) << index;
  EXPECT_EQ(MonitorFromPoint({10, 10}, MONITOR_DEFAULTTONEAREST), nullptr);
}

TEST_F(MonitorsTest, TheMonitorAtAPointOrTheOneTheFlagsChoose) {
  HMONITOR primary = MonitorFromPoint({10, 10}, MONITOR_DEFAULTTONULL);
  HMONITOR left = MonitorFromPoint({-1, 0}, MONITOR_DEFAULTTONULL);
  HMONITOR right = MonitorFromPoint({800, 100}, MONITOR_DEFAULTTONULL);
  ASSERT_NE(primary, nullptr);
  ASSERT_NE(left, nullptr);
  ASSERT_NE(right, nullptr);
  EXPECT_NE(left, primary);
  EXPECT_NE(right, primary);
  struct Case {
    POINT point;
    DWORD flags;
    HMONITOR expected;
  };
  for (const Case& c :
       {Case{{799, 599}, MONITOR_DEFAULTTONULL, primary}, Case{{-1024, 767}, MONITOR_DEFAULTTONULL, left},
        Case{{1439, 579}, MONITOR_DEFAULTTONULL, right},
        // Outside every monitor: below the primary, in the gap right of it.
        Case{{400, 700}, MONITOR_DEFAULTTONULL, nullptr}, Case{{900, 50}, MONITOR_DEFAULTTOPRIMARY, primary},
        Case{{900, 50}, MONITOR_DEFAULTTONEAREST, right}, Case{{790, 620}, MONITOR_DEFAULTTONEAREST, primary},
        Case{{-5000, 5000}, MONITOR_DEFAULTTONEAREST, left}, Case{{1440, 100}, MONITOR_DEFAULTTONULL, nullptr}}) {
    EXPECT_EQ(MonitorFromPoint(c.point, c.flags), c.expected) << c.point.x << "," << c.point.y << " " << c.flags;
  }
}

TEST_F(MonitorsTest, MonitorRecordsOfBothSizesNameTheDevice) {
  struct Case {
    POINT point;
    RECT rect;
    DWORD flags;
    const char* device;
  };
  for (const Case& c : {Case{{0, 0}, {0, 0, 800, 600}, MONITORINFOF_PRIMARY, "\\\\.\\DISPLAY1"},
                        Case{{-10, 10}, {-1024, 0, 0, 768}, 0, "\\\\.\\DISPLAY2"},
                        Case{{1000, 200}, {800, 100, 1440, 580}, 0, "\\\\.\\DISPLAY3"}}) {
    HMONITOR monitor = MonitorFromPoint(c.point, MONITOR_DEFAULTTONULL);
    MONITORINFOEXA ex = InfoOf(monitor);
    EXPECT_TRUE(SameRect(ex.rcMonitor, c.rect)) << c.device;
    EXPECT_TRUE(SameRect(ex.rcWork, c.rect)) << c.device;
    EXPECT_EQ(ex.dwFlags, c.flags);
    EXPECT_STREQ(ex.szDevice, c.device);

    // The short record leaves the bytes after it alone.
    MONITORINFOEXA shortInfo;
    std::memset(&shortInfo, 0x5A, sizeof shortInfo);
    shortInfo.cbSize = sizeof(MONITORINFO);
    ASSERT_TRUE(GetMonitorInfoA(monitor, &shortInfo));
    EXPECT_TRUE(SameRect(shortInfo.rcMonitor, c.rect));
    EXPECT_EQ(shortInfo.dwFlags, c.flags);
    EXPECT_EQ(shortInfo.szDevice[0], 0x5A);
  }
  HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL);
  for (DWORD size : {0u, 39u, 41u, 71u, 73u}) {
    MONITORINFOEXA info{};
    info.cbSize = size;
    SetLastError(0);
    EXPECT_FALSE(GetMonitorInfoA(primary, &info)) << size;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  MONITORINFO info{sizeof info, {}, {}, 0};
  EXPECT_FALSE(GetMonitorInfoA(nullptr, &info));
  EXPECT_FALSE(GetMonitorInfoA(reinterpret_cast<HMONITOR>(std::uintptr_t{4}), &info));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_MONITOR_HANDLE);
  EXPECT_FALSE(GetMonitorInfoA(primary, nullptr));
}

// The board's probe: the pixel at (0, 0) of a monitor changes when the first word of
// its display memory does.
void ExpectProbeFinds(HDC dc, BYTE* firstWord) {
  DWORD saved;
  std::memcpy(&saved, firstWord, sizeof saved);
  for (DWORD value : {0xFFFFFFFFu, 0u}) {
    std::memcpy(firstWord, &value, sizeof value);
    EXPECT_EQ(GetPixel(dc, 0, 0), value ? RGB(255, 255, 255) : RGB(0, 0, 0));
    std::memcpy(firstWord, &saved, sizeof saved);
  }
}

TEST_F(MonitorsTest, DisplayContextsReadEachMonitorsMemoryLive) {
  std::size_t live = platform::LiveDeviceContexts();
  struct Case {
    const char* driver;
    const char* device;
    std::size_t monitor;
    int width, height, bits;
  };
  for (const Case& c :
       {Case{nullptr, "\\\\.\\DISPLAY2", 1, 1024, 768, 32}, Case{"DISPLAY", "\\\\.\\display3", 2, 640, 480, 24},
        Case{"\\\\.\\DISPLAY1", "\\\\.\\DISPLAY1", 0, 800, 600, 16}, Case{"display", nullptr, 0, 800, 600, 16}}) {
    SCOPED_TRACE(c.monitor);
    HDC dc = CreateDCA(c.driver, c.device, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), c.width);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), c.height);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), c.bits);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    ExpectProbeFinds(dc, machine_->display(c.monitor).memory().base());
    // Coordinates are the monitor's own.
    EXPECT_NE(GetPixel(dc, c.width - 1, c.height - 1), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, c.width, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(dc, -1, 0), CLR_INVALID);
    EXPECT_TRUE(DeleteDC(dc));
  }
  // The board's frame buffer is the left monitor's memory.
  HDC left = CreateDCA(nullptr, "\\\\.\\DISPLAY2", nullptr, nullptr);
  ExpectProbeFinds(left, machine_->kt650(0).frame_buffer().base());
  EXPECT_TRUE(DeleteDC(left));

  for (const char* device : {"\\\\.\\DISPLAY4", "DISPLAY", ""})
    EXPECT_EQ(CreateDCA("DISPLAY", device, nullptr, nullptr), nullptr) << device;
  EXPECT_EQ(CreateDCA(nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateDCA("WINSPOOL", nullptr, nullptr, nullptr), nullptr);

  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 800);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 16);
  ExpectProbeFinds(screen, machine_->display().memory().base());
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(platform::LiveDeviceContexts(), live);
  EXPECT_FALSE(DeleteDC(screen));
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 0);
}

TEST_F(MonitorsTest, ADisplayContextOutlivesTheMachineItWasMadeOn) {
  HDC dc = CreateDCA(nullptr, "\\\\.\\DISPLAY3", nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  sim::PowerOff();
  EXPECT_EQ(CreateDCA("DISPLAY", nullptr, nullptr, nullptr), nullptr);
  EXPECT_NE(GetPixel(dc, 0, 0), CLR_INVALID);
  EXPECT_TRUE(DeleteDC(dc));
}

}  // namespace
