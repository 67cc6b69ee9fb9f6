// "ComboBox", drop-down list form: a closed field showing the selected item.
// The keyboard moves the selection (CBN_SELCHANGE); CB_SETCURSEL moves it silently.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/controls/control_support.h"
#include "platform/string_copy.h"

namespace platform::controls {
namespace {

struct ComboState {
  std::vector<std::string> items;
  LRESULT selection = CB_ERR;
};

// Height of the closed field: one line of text and its frame.
constexpr int kClosedHeight = kFontCellHeight + 8;

LRESULT Count(const ComboState& s) { return static_cast<LRESULT>(s.items.size()); }
bool Valid(const ComboState& s, WPARAM index) { return index < s.items.size(); }

LRESULT AddString(HWND hwnd, ComboState& state, LPCSTR text) {
  if (!text) return CB_ERR;
  auto at = state.items.end();
  if (StyleOf(hwnd) & CBS_SORT)
    at = std::upper_bound(
        state.items.begin(), state.items.end(), std::string(text),
        [](const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) < 0; });
  LRESULT index = at - state.items.begin();
  state.items.insert(at, text);
  if (state.selection != CB_ERR && state.selection >= index) ++state.selection;
  return index;
}

LRESULT FindExact(const ComboState& state, WPARAM after, LPCSTR text) {
  if (!text || state.items.empty()) return CB_ERR;
  std::size_t n = state.items.size();
  std::size_t first = Valid(state, after) ? after + 1 : 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t at = (first + i) % n;
    if (::strcasecmp(state.items[at].c_str(), text) == 0) return static_cast<LRESULT>(at);
  }
  return CB_ERR;
}

LRESULT CopyItem(const ComboState& state, WPARAM index, LPSTR buffer) {
  if (!Valid(state, index) || !buffer) return CB_ERR;
  const std::string& item = state.items[index];
  std::memcpy(buffer, item.c_str(), item.size() + 1);
  return static_cast<LRESULT>(item.size());
}

void KeyDown(HWND hwnd, ComboState& state, WPARAM key) {
  if (state.items.empty()) return;
  LRESULT last = Count(state) - 1;
  LRESULT next = state.selection;
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      next = state.selection == CB_ERR ? 0 : std::max<LRESULT>(state.selection - 1, 0);
      break;
    case VK_DOWN:
    case VK_RIGHT:
      next = std::min<LRESULT>(state.selection + 1, last);
      break;
    case VK_HOME:
      next = 0;
      break;
    case VK_END:
      next = last;
      break;
    default:
      return;
  }
  if (next == state.selection) return;
  state.selection = next;
  Redraw(hwnd);
  NotifyParent(hwnd, CBN_SELCHANGE);
}

void Paint(HWND hwnd, const ComboState& state) {
  PaintScope paint(hwnd);
  HDC dc = paint.dc();
  RECT rect = paint.client();
  bool enabled = IsWindowEnabled(hwnd);
  FillSys(dc, rect, enabled ? COLOR_WINDOW : COLOR_BTNFACE);
  RECT frame = rect;
  DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  int buttonWidth = GetSystemMetrics(SM_CXVSCROLL);
  RECT button{frame.right - buttonWidth, frame.top, frame.right, frame.bottom};
  DrawButtonFace(dc, button, false);
  DrawArrow(dc, button, Arrow::kDown, enabled);
  if (state.selection == CB_ERR) return;
  RECT field{frame.left + 1, frame.top + 1, button.left - 1, frame.bottom - 1};
  bool focused = GetFocus() == hwnd;
  if (focused) FillSys(dc, field, COLOR_HIGHLIGHT);
  const std::string& text = state.items[static_cast<std::size_t>(state.selection)];
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  field.left += 2;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &field, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

LRESULT ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    FreeState<ComboState>(hwnd);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  ComboState& state = StateOf<ComboState>(hwnd);
  switch (message) {
    case WM_CREATE: {
      // The height given is that of the open list; closed, the field is one line.
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowPos(hwnd, nullptr, 0, 0, create->cx, kClosedHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_WANTARROWS;
    case CB_ADDSTRING: {
      LRESULT index = AddString(hwnd, state, reinterpret_cast<LPCSTR>(lParam));
      Redraw(hwnd);
      return index;
    }
    case CB_RESETCONTENT:
      state.items.clear();
      state.selection = CB_ERR;
      Redraw(hwnd);
      return 0;
    case CB_GETCOUNT:
      return Count(state);
    case CB_GETCURSEL:
      return state.selection;
    case CB_SETCURSEL:
      state.selection = Valid(state, wParam) ? static_cast<LRESULT>(wParam) : CB_ERR;
      Redraw(hwnd);
      return state.selection;
    case CB_GETLBTEXT:
      return CopyItem(state, wParam, reinterpret_cast<LPSTR>(lParam));
    case CB_GETLBTEXTLEN:
      return Valid(state, wParam) ? static_cast<LRESULT>(state.items[wParam].size()) : CB_ERR;
    case CB_FINDSTRINGEXACT:
      return FindExact(state, wParam, reinterpret_cast<LPCSTR>(lParam));
    // The window text of a drop-down list is its selected item.
    case WM_GETTEXTLENGTH:
      return state.selection == CB_ERR ? 0 : static_cast<LRESULT>(state.items[state.selection].size());
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPSTR>(lParam);
      std::string_view text = state.selection == CB_ERR ? std::string_view() : state.items[state.selection];
      return static_cast<LRESULT>(CopyTruncated(text, buffer, wParam));
    }
    case WM_KEYDOWN:
      KeyDown(hwnd, state, wParam);
      return 0;
    case WM_LBUTTONDOWN:
      if (IsWindowEnabled(hwnd)) SetFocus(hwnd);
      return 0;
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Redraw(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, state);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace platform::controls
