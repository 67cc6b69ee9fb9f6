// "msctls_trackbar32", horizontal: a channel, a thumb at the position and tick
// marks. Arrow keys move the thumb by the line size and tell the parent with
// WM_HSCROLL; releasing the key ends the move with TB_ENDTRACK.
#include <algorithm>
#include <utility>

#include "platform/controls/control_support.h"

namespace platform::controls {
namespace {

struct TrackbarState {
  LONG min = 0;
  LONG max = 100;
  LONG pos = 0;
  LONG line = 1;
  LONG page = 0;  // 0: a fifth of the range
  LONG tic_frequency = 1;
};

constexpr int kThumbWidth = 11;
constexpr int kThumbTop = 2;
constexpr int kThumbMaxHeight = 18;
constexpr int kTickLength = 3;

// Any two LONGs may be the ends, so their distance and the moves need 64 bits.
long long Range(const TrackbarState& s) { return static_cast<long long>(s.max) - s.min; }

LONG PageSize(const TrackbarState& s) {
  return s.page > 0 ? s.page : std::max<LONG>(static_cast<LONG>(Range(s) / 5), 1);
}

LONG Clamped(const TrackbarState& s, long long value) {
  return static_cast<LONG>(std::clamp<long long>(value, s.min, std::max(s.min, s.max)));
}

void Clamp(TrackbarState& s) { s.pos = Clamped(s, s.pos); }

void Changed(HWND hwnd, TrackbarState& s, bool redraw) {
  Clamp(s);
  if (redraw) Redraw(hwnd);
}

void KeyDown(HWND hwnd, TrackbarState& s, WPARAM key) {
  long long target;
  WORD code;
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      target = static_cast<long long>(s.pos) - s.line, code = TB_LINEUP;
      break;
    case VK_RIGHT:
    case VK_DOWN:
      target = static_cast<long long>(s.pos) + s.line, code = TB_LINEDOWN;
      break;
    case VK_PRIOR:
      target = static_cast<long long>(s.pos) - PageSize(s), code = TB_PAGEUP;
      break;
    case VK_NEXT:
      target = static_cast<long long>(s.pos) + PageSize(s), code = TB_PAGEDOWN;
      break;
    case VK_HOME:
      target = s.min, code = TB_TOP;
      break;
    case VK_END:
      target = s.max, code = TB_BOTTOM;
      break;
    default:
      return;
  }
  LONG old = s.pos;
  s.pos = Clamped(s, target);
  if (s.pos == old) return;
  Redraw(hwnd);
  ScrollParent(hwnd, code);
}

bool MoveKey(WPARAM key) {
  return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT ||
         key == VK_HOME || key == VK_END;
}

// Whether a tick other than the ends falls on the column: the offsets from the
// minimum that the column shows are [ceil(column * range / width),
// ceil((column + 1) * range / width)).
bool TickInColumn(unsigned long long range, LONG frequency, long long column, int width) {
  auto w = static_cast<unsigned long long>(width);
  auto f = static_cast<unsigned long long>(frequency);
  unsigned long long first = (static_cast<unsigned long long>(column) * range + w - 1) / w;
  unsigned long long next = (static_cast<unsigned long long>(column + 1) * range + w - 1) / w;
  unsigned long long tick = std::max((first + f - 1) / f, 1ull) * f;
  return tick < next && tick < range;
}

void Paint(HWND hwnd, const TrackbarState& s) {
  PaintScope paint(hwnd);
  HDC dc = paint.dc();
  RECT rect = paint.client();
  FillSys(dc, rect, COLOR_BTNFACE);
  int left = rect.left + kThumbWidth / 2 + 2;
  int width = std::max<int>(rect.right - kThumbWidth / 2 - 2 - left, 1);
  int thumbHeight = std::clamp<int>(rect.bottom - rect.top - kThumbTop - kTickLength - 3, 6, kThumbMaxHeight);
  int mid = rect.top + kThumbTop + thumbHeight / 2;
  long long range = Range(s);
  auto xOf = [&](LONG value) {
    return left + (range > 0 ? static_cast<int>((static_cast<long long>(value) - s.min) * width / range) : 0);
  };

  RECT channel{left - 2, mid - 2, left + width + 2, mid + 2};
  DrawEdge(dc, &channel, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  FillSys(dc, RECT{channel.left + 2, channel.top + 2, channel.right - 2, channel.bottom - 2}, COLOR_WINDOW);

  // Ticks at every multiple of the frequency from the minimum, and at both ends;
  // a frequency of 0 draws none. Range and control may be far wider than the
  // screen, so the ticks in between are looked for column by column, over the
  // columns the screen can show.
  int tickTop = rect.top + kThumbTop + thumbHeight + 1;
  auto tickAt = [&](int x) { FillSys(dc, RECT{x, tickTop, x + 1, tickTop + kTickLength}, COLOR_BTNTEXT); };
  if (!(StyleOf(hwnd) & TBS_NOTICKS) && s.tic_frequency > 0) {
    tickAt(xOf(s.min));
    if ((StyleOf(hwnd) & TBS_AUTOTICKS) && range > 0) {
      POINT screen{0, 0};
      ClientToScreen(hwnd, &screen);
      long long from = std::max<long long>(left, -static_cast<long long>(screen.x));
      long long to = std::min<long long>(static_cast<long long>(left) + width,
                                         static_cast<long long>(GetSystemMetrics(SM_CXSCREEN)) - screen.x);
      for (long long x = from; x < to; ++x)
        if (TickInColumn(static_cast<unsigned long long>(range), s.tic_frequency, x - left, width))
          tickAt(static_cast<int>(x));
    }
    tickAt(xOf(s.max));
  }

  int x = xOf(s.pos);
  RECT thumb{x - kThumbWidth / 2, rect.top + kThumbTop, x + kThumbWidth / 2 + 1, rect.top + kThumbTop + thumbHeight};
  DrawButtonFace(dc, thumb, false);
  if (!IsWindowEnabled(hwnd)) FillSys(dc, RECT{x, thumb.top + 3, x + 1, thumb.bottom - 3}, COLOR_GRAYTEXT);
}

}  // namespace

LRESULT TrackbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    FreeState<TrackbarState>(hwnd);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  TrackbarState& s = StateOf<TrackbarState>(hwnd);
  auto value = static_cast<LONG>(lParam);
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case TBM_GETPOS:
      return s.pos;
    case TBM_GETRANGEMIN:
      return s.min;
    case TBM_GETRANGEMAX:
      return s.max;
    case TBM_SETPOS:
      s.pos = value;
      Changed(hwnd, s, wParam != 0);
      return 0;
    case TBM_SETRANGE:
      s.min = static_cast<SHORT>(LOWORD(static_cast<DWORD>(lParam)));
      s.max = static_cast<SHORT>(HIWORD(static_cast<DWORD>(lParam)));
      Changed(hwnd, s, wParam != 0);
      return 0;
    case TBM_SETRANGEMIN:
      s.min = value;
      Changed(hwnd, s, wParam != 0);
      return 0;
    case TBM_SETRANGEMAX:
      s.max = value;
      Changed(hwnd, s, wParam != 0);
      return 0;
    case TBM_SETTICFREQ:
      s.tic_frequency = static_cast<LONG>(wParam);
      Redraw(hwnd);
      return 0;
    case TBM_SETLINESIZE:
      return std::exchange(s.line, value);
    case TBM_GETLINESIZE:
      return s.line;
    case TBM_SETPAGESIZE:
      return std::exchange(s.page, value);
    case TBM_GETPAGESIZE:
      return PageSize(s);
    case WM_KEYDOWN:
      if (IsWindowEnabled(hwnd)) KeyDown(hwnd, s, wParam);
      return 0;
    case WM_KEYUP:
      if (MoveKey(wParam) && IsWindowEnabled(hwnd)) ScrollParent(hwnd, TB_ENDTRACK);
      return 0;
    case WM_LBUTTONDOWN:
      if (IsWindowEnabled(hwnd)) SetFocus(hwnd);
      return 0;
    case WM_ENABLE:
      Redraw(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, s);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace platform::controls
