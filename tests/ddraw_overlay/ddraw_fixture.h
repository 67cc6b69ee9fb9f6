// A virtual PC with a display of the test's choosing, and the overlay layer closed
// again and checked for leaked DirectDraw objects after every case.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

#include "ddraw_overlay/layer_instance.h"
#include "ddraw_overlay/zpddraw.h"
#include "ddraw_overlay/zpddraw_internal.h"
#include "platform/display_adapter.h"
#include "platform/fault_injection.h"
#include "sim/display/display_formats.h"
#include "sim/machine.h"

// Found by argument lookup: RECT lives in the global namespace.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& os, const RECT& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace ddraw_testing {

inline HWND const kWindow = reinterpret_cast<HWND>(0x1234);

class DDrawTest : public ::testing::Test {
 protected:
  // Each case starts as a freshly loaded library: no port enumerated yet.
  void SetUp() override { zpddraw::g_portCaps = DDVIDEOPORTCAPS{}; }
  void TearDown() override {
    ZPDDraw_Close();
    platform::faults::DisarmAll();
    EXPECT_EQ(platform::LiveDirectDrawObjects(), 0u);
    EXPECT_EQ(platform::LiveDirectDrawSurfaces(), 0u);
    EXPECT_EQ(platform::LiveDirectDrawVideoPorts(), 0u);
    sim::PowerOff();
  }

  sim::Display& Boot(const sim::DisplayDesc& display = sim::DisplayDesc{}) {
    sim::MachineDescription desc = sim::MachineDescription::Default();
    desc.display = display;
    return sim::PowerOn(desc).display();
  }
  // Boots and opens the layer on the desktop.
  sim::Display& Open(const sim::DisplayDesc& display = sim::DisplayDesc{}) {
    sim::Display& d = Boot(display);
    EXPECT_EQ(ZPDDraw_Open(nullptr, 0), 0);
    return d;
  }
  sim::Display& display() { return sim::CurrentMachine()->display(); }
  zpddraw::CDDraw& layer() { return *zpddraw::g_instance; }

  DDrawSurfaceHandle Overlay(DWORD width = 640, DWORD height = 480) {
    DDrawSurfaceHandle h = 9999;
    EXPECT_EQ(ZPDDraw_CreateOverlayYUV(1, width, height, 0, &h), 0);
    return h;
  }
  // The adapter's view of a surface of the layer's table.
  sim::SurfaceInfo Info(DDrawSurfaceHandle handle) {
    std::uint32_t pitch = 0;
    auto info = display().SurfaceAt(ZPDDraw_GetSurfaceMemoryPtr(handle, &pitch));
    EXPECT_TRUE(info.has_value());
    return info.value_or(sim::SurfaceInfo{});
  }
  sim::SurfaceInfo PrimaryInfo() {
    for (const sim::SurfaceInfo& s : display().Surfaces())
      if (s.caps & DDSCAPS_PRIMARYSURFACE) return s;
    ADD_FAILURE() << "no primary surface";
    return {};
  }
  std::vector<sim::DisplayCall> CallsOf(sim::DisplayCallKind kind) {
    std::vector<sim::DisplayCall> out;
    for (const sim::DisplayCall& c : display().Calls())
      if (c.kind == kind) out.push_back(c);
    return out;
  }
};

inline RECT Rect(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }

inline sim::DisplayDesc WithoutVideoPort() {
  sim::DisplayDesc d;
  d.video_port.present = false;
  return d;
}

// Fills a YUY2 surface with one colour.
inline void FillYuy2(void* memory, DWORD pitch, DWORD width, DWORD height, BYTE y, BYTE u, BYTE v) {
  for (DWORD row = 0; row < height; ++row) {
    BYTE* p = static_cast<BYTE*>(memory) + static_cast<std::size_t>(row) * pitch;
    for (DWORD x = 0; x + 1 < width; x += 2, p += 4) {
      p[0] = y;
      p[1] = u;
      p[2] = y;
      p[3] = v;
    }
  }
}

}  // namespace ddraw_testing
