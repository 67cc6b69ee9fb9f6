// Brushes, the one font, stock objects and the system colours.
#include "platform/gdi_objects.h"

#include <array>
#include <set>

#include "platform/device_context.h"

namespace platform {
namespace {

enum class Kind { Brush, NullBrush, Font };

struct GdiObject {
  Kind kind = Kind::Brush;
  COLORREF color = 0;
};

constexpr int kColorCount = COLOR_INFOBK + 1;

constexpr std::array<COLORREF, kColorCount> kSystemColors = {
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // desktop
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3-D dark shadow
    RGB(192, 192, 192),  // 3-D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
};

// Stock objects and system colour brushes live for the whole process.
GdiObject g_stock[] = {
    {Kind::Brush, RGB(255, 255, 255)},
    {Kind::Brush, RGB(192, 192, 192)},
    {Kind::Brush, RGB(128, 128, 128)},
    {Kind::Brush, RGB(64, 64, 64)},
    {Kind::Brush, RGB(0, 0, 0)},
    {Kind::NullBrush, 0},
    {Kind::Font, 0},
};
constexpr int kFontSlot = 6;

std::array<GdiObject, kColorCount> MakeSystemBrushes() {
  std::array<GdiObject, kColorCount> brushes{};
  for (int i = 0; i < kColorCount; ++i) brushes[static_cast<std::size_t>(i)] = {Kind::Brush, kSystemColors[i]};
  return brushes;
}
std::array<GdiObject, kColorCount> g_systemBrushes = MakeSystemBrushes();

std::set<GdiObject*>& Live() {
  static auto* live = new std::set<GdiObject*>;
  return *live;
}

bool IsStock(const GdiObject* o) {
  return (o >= std::begin(g_stock) && o < std::end(g_stock)) ||
         (o >= g_systemBrushes.data() && o < g_systemBrushes.data() + kColorCount);
}

// Under GdiMutex.
GdiObject* ObjectLocked(const void* handle) {
  auto* o = static_cast<GdiObject*>(const_cast<void*>(handle));
  return IsStock(o) || Live().count(o) ? o : nullptr;
}

}  // namespace

bool BrushColor(HBRUSH brush, COLORREF* color) {
  auto index = reinterpret_cast<std::uintptr_t>(brush);
  if (index >= 1 && index <= kColorCount) {
    *color = kSystemColors[index - 1];
    return true;
  }
  std::lock_guard lock(GdiMutex());
  GdiObject* o = ObjectLocked(brush);
  if (!o || o->kind != Kind::Brush) return false;
  *color = o->color;
  return true;
}

}  // namespace platform

using namespace platform;

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* o = new GdiObject{Kind::Brush, color & 0xFFFFFF};
  std::lock_guard lock(GdiMutex());
  Live().insert(o);
  return reinterpret_cast<HBRUSH>(o);
}

BOOL DeleteObject(HGDIOBJ object) {
  auto* o = static_cast<GdiObject*>(object);
  {
    std::lock_guard lock(GdiMutex());
    if (IsStock(o)) return TRUE;
    if (Live().erase(o) == 0) return FALSE;
  }
  delete o;
  return TRUE;
}

HGDIOBJ GetStockObject(int index) {
  if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return static_cast<HGDIOBJ>(&g_stock[index]);
  if (index == ANSI_FIXED_FONT || index == ANSI_VAR_FONT || index == SYSTEM_FONT || index == DEFAULT_GUI_FONT)
    return static_cast<HGDIOBJ>(&g_stock[kFontSlot]);
  return nullptr;
}

DWORD GetSysColor(int index) {
  return index >= 0 && index < kColorCount ? kSystemColors[static_cast<std::size_t>(index)] : 0;
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= kColorCount) return nullptr;
  return reinterpret_cast<HBRUSH>(&g_systemBrushes[static_cast<std::size_t>(index)]);
}
