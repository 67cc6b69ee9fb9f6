// "Edit": a single-line edit field. Typing replaces the selection; every change
// of the text, typed or set, is told to the parent with EN_CHANGE.
#include <algorithm>

#include "platform/controls/control_support.h"

namespace platform::controls {
namespace {

struct EditState {
  std::size_t anchor = 0;  // selection runs from anchor to caret
  std::size_t caret = 0;
  std::size_t scroll = 0;  // first character shown
};

constexpr int kMargin = 2;

std::size_t SelStart(const EditState& s) { return std::min(s.anchor, s.caret); }
std::size_t SelEnd(const EditState& s) { return std::max(s.anchor, s.caret); }

void SetSelection(HWND hwnd, EditState& state, std::size_t anchor, std::size_t caret) {
  state.anchor = anchor;
  state.caret = caret;
  Redraw(hwnd);
}

void ChangeText(HWND hwnd, EditState& state, const std::string& text, std::size_t caret) {
  StoreText(hwnd, text);
  state.anchor = state.caret = caret;
  Redraw(hwnd);
  NotifyParent(hwnd, EN_CHANGE);
}

void TypeChar(HWND hwnd, EditState& state, char c) {
  if (StyleOf(hwnd) & ES_READONLY) return;
  std::string text = StoredText(hwnd);
  std::size_t start = std::min(SelStart(state), text.size());
  std::size_t end = std::min(SelEnd(state), text.size());
  if (c == '\b') {
    if (start == end && start == 0) return;
    if (start == end) --start;
    ChangeText(hwnd, state, text.erase(start, end - start), start);
    return;
  }
  if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return;
  if ((StyleOf(hwnd) & ES_NUMBER) && (c < '0' || c > '9')) return;
  ChangeText(hwnd, state, text.replace(start, end - start, 1, c), start + 1);
}

void KeyDown(HWND hwnd, EditState& state, WPARAM key) {
  std::size_t length = StoredText(hwnd).size();
  std::size_t caret = std::min(state.caret, length);
  switch (key) {
    case VK_LEFT:
      caret = caret > 0 ? caret - 1 : 0;
      break;
    case VK_RIGHT:
      caret = std::min(caret + 1, length);
      break;
    case VK_HOME:
      caret = 0;
      break;
    case VK_END:
      caret = length;
      break;
    case VK_DELETE: {
      if (StyleOf(hwnd) & ES_READONLY) return;
      std::string text = StoredText(hwnd);
      std::size_t start = std::min(SelStart(state), length);
      std::size_t end = std::min(SelEnd(state), length);
      if (start == end && end < length) ++end;
      if (start != end) ChangeText(hwnd, state, text.erase(start, end - start), start);
      return;
    }
    default:
      return;
  }
  SetSelection(hwnd, state, caret, caret);
}

int TextWidth(HDC dc, const std::string& text, std::size_t from, std::size_t to) {
  SIZE size{};
  if (to > from) GetTextExtentPoint32A(dc, text.c_str() + from, static_cast<int>(to - from), &size);
  return size.cx;
}

void Paint(HWND hwnd, EditState& state) {
  PaintScope paint(hwnd);
  HDC dc = paint.dc();
  RECT rect = paint.client();
  bool enabled = IsWindowEnabled(hwnd);
  bool focused = GetFocus() == hwnd;
  FillSys(dc, rect, enabled && !(StyleOf(hwnd) & ES_READONLY) ? COLOR_WINDOW : COLOR_BTNFACE);
  std::string text = StoredText(hwnd);
  std::size_t caret = std::min(state.caret, text.size());
  // Scroll so that the caret stays inside the field.
  int width = rect.right - rect.left - 2 * kMargin;
  state.scroll = std::min(state.scroll, caret);
  while (state.scroll < caret && TextWidth(dc, text, state.scroll, caret) > width) ++state.scroll;
  std::size_t start = std::clamp(SelStart(state), state.scroll, text.size());
  std::size_t end = std::clamp(SelEnd(state), start, text.size());
  if (!focused) start = end = state.scroll;

  int x = rect.left + kMargin;
  int y = (rect.top + rect.bottom - kFontCellHeight) / 2;
  SetBkMode(dc, TRANSPARENT);
  auto run = [&](std::size_t from, std::size_t to, int textColor) {
    if (to <= from) return;
    SetTextColor(dc, GetSysColor(textColor));
    TextOutA(dc, x, y, text.c_str() + from, static_cast<int>(to - from));
    x += TextWidth(dc, text, from, to);
  };
  int normal = enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT;
  run(state.scroll, start, normal);
  if (end > start) {
    RECT highlight{x, y, x + TextWidth(dc, text, start, end), y + kFontCellHeight};
    FillSys(dc, highlight, COLOR_HIGHLIGHT);
    run(start, end, COLOR_HIGHLIGHTTEXT);
  }
  run(end, text.size(), normal);
  if (focused && start == end) {
    int caretX = rect.left + kMargin + TextWidth(dc, text, state.scroll, caret);
    RECT line{caretX, y, caretX + 1, y + kFontCellHeight};
    FillSys(dc, line, COLOR_WINDOWTEXT);
  }
}

}  // namespace

LRESULT EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    FreeState<EditState>(hwnd);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  EditState& state = StateOf<EditState>(hwnd);
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
      state.anchor = state.caret = state.scroll = 0;
      Redraw(hwnd);
      NotifyParent(hwnd, EN_CHANGE);
      return result;
    }
    case WM_CHAR:
      TypeChar(hwnd, state, static_cast<char>(wParam));
      return 0;
    case WM_KEYDOWN:
      KeyDown(hwnd, state, wParam);
      return 0;
    case EM_GETSEL: {
      auto start = static_cast<DWORD>(SelStart(state));
      auto end = static_cast<DWORD>(SelEnd(state));
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = start;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = end;
      return MAKELRESULT(static_cast<WORD>(start), static_cast<WORD>(end));
    }
    case EM_SETSEL: {
      // A start of -1 only removes the selection; an end of -1 means the end.
      std::size_t length = StoredText(hwnd).size();
      auto start = static_cast<INT>(wParam);
      auto end = static_cast<INT>(lParam);
      if (start < 0) {
        SetSelection(hwnd, state, state.caret, state.caret);
        return 0;
      }
      std::size_t last = end < 0 ? length : std::min<std::size_t>(static_cast<std::size_t>(end), length);
      SetSelection(hwnd, state, std::min<std::size_t>(static_cast<std::size_t>(start), length), last);
      return 0;
    }
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
