// "Button": push buttons, check boxes, radio buttons and group boxes.
#include "platform/controls/control_support.h"
#include "platform/dialogs.h"

namespace platform::controls {
namespace {

struct ButtonState {
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  bool tracking = false;  // mouse button or space held down on the button
};

constexpr int kMarkSize = 13;  // check box and radio circle
constexpr int kMarkGap = 4;    // between the mark and the text

DWORD TypeOf(HWND hwnd) { return StyleOf(hwnd) & BS_TYPEMASK; }

bool IsPush(DWORD type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON; }
bool IsRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }

void SetPushed(HWND hwnd, ButtonState& state, bool pushed) {
  if (state.pushed == pushed) return;
  state.pushed = pushed;
  Redraw(hwnd);
}

void SetCheck(HWND hwnd, ButtonState& state, UINT check) {
  if (state.check == check) return;
  state.check = check;
  Redraw(hwnd);
}

// An automatic radio button that is clicked takes the check from the other
// automatic radio buttons of its group (those the group walk reaches: enabled and
// visible ones). A hidden button is not on the walk itself, so the walk ends where
// it started as well.
void UncheckGroupSiblings(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  HWND first = GetNextDlgGroupItem(parent, hwnd, FALSE);
  for (HWND other = first; other && other != hwnd;) {
    if (TypeOf(other) == BS_AUTORADIOBUTTON) SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
    other = GetNextDlgGroupItem(parent, other, FALSE);
    if (other == first) break;
  }
}

void Click(HWND hwnd, ButtonState& state) {
  DWORD type = TypeOf(hwnd);
  if (type == BS_AUTOCHECKBOX) {
    SetCheck(hwnd, state, state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  } else if (type == BS_AUTORADIOBUTTON) {
    SetCheck(hwnd, state, BST_CHECKED);
    UncheckGroupSiblings(hwnd);
  }
  NotifyParent(hwnd, BN_CLICKED);
}

void ReleaseAndClick(HWND hwnd, ButtonState& state, bool inside) {
  if (!state.tracking) return;
  state.tracking = false;
  SetPushed(hwnd, state, false);
  if (inside) Click(hwnd, state);
}

void Paint(HWND hwnd, const ButtonState& state) {
  PaintScope paint(hwnd);
  HDC dc = paint.dc();
  RECT rect = paint.client();
  std::string text = StoredText(hwnd);
  DWORD type = TypeOf(hwnd);
  if (IsPush(type)) {
    RECT face = rect;
    if (type == BS_DEFPUSHBUTTON) {
      FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWTEXT));
      face = RECT{face.left + 1, face.top + 1, face.right - 1, face.bottom - 1};
    }
    DrawButtonFace(dc, face, state.pushed);
    if (state.pushed) face = RECT{face.left + 1, face.top + 1, face.right + 1, face.bottom + 1};
    DrawLabel(dc, hwnd, text, face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return;
  }
  if (type == BS_GROUPBOX) {
    // An etched frame whose top line runs through the middle of the title; the inside
    // is left to the controls it surrounds.
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT frame{rect.left, rect.top + kFontCellHeight / 2, rect.right, rect.bottom};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (!text.empty()) {
      RECT title{rect.left + 8, rect.top, rect.left + 8 + extent.cx + 4, rect.top + kFontCellHeight};
      FillSys(dc, title, COLOR_BTNFACE);
      title.left += 2;
      DrawLabel(dc, hwnd, text, title, DT_LEFT | DT_SINGLELINE);
    }
    return;
  }
  FillSys(dc, rect, COLOR_BTNFACE);
  int markTop = (rect.top + rect.bottom - kMarkSize) / 2;
  RECT mark{rect.left, markTop, rect.left + kMarkSize, markTop + kMarkSize};
  HBRUSH ink = GetSysColorBrush(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  if (IsRadio(type)) {
    // A circle drawn row by row: white inside, a dark rim, a dot when checked.
    constexpr int kHalfWidths[kMarkSize] = {2, 4, 5, 5, 6, 6, 6, 6, 6, 5, 5, 4, 2};
    int cx = mark.left + kMarkSize / 2;
    for (int row = 0; row < kMarkSize; ++row) {
      int half = kHalfWidths[row];
      RECT line{cx - half, mark.top + row, cx + half + 1, mark.top + row + 1};
      FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
      if (row > 0 && row < kMarkSize - 1) {
        RECT inside{cx - half + 1, line.top, cx + half, line.bottom};
        FillSys(dc, inside, COLOR_WINDOW);
      }
    }
    if (state.check == BST_CHECKED) {
      RECT dot{cx - 2, mark.top + 4, cx + 3, mark.top + 9};
      FillRect(dc, &dot, ink);
    }
  } else {
    FillSys(dc, mark, COLOR_WINDOW);
    RECT edge = mark;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    if (state.check == BST_CHECKED) {
      // A tick: down to the lowest point, then up to the right, two pixels thick.
      for (int i = 0; i < 7; ++i) {
        int x = mark.left + 3 + i;
        int y = i < 3 ? mark.top + 5 + i : mark.top + 9 - (i - 2);
        RECT stroke{x, y, x + 1, y + 3};
        FillRect(dc, &stroke, ink);
      }
    }
  }
  RECT label{mark.right + kMarkGap, rect.top, rect.right, rect.bottom};
  DrawLabel(dc, hwnd, text, label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

LRESULT DialogCode(DWORD type) {
  switch (type) {
    case BS_PUSHBUTTON:
      return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_DEFPUSHBUTTON:
      return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX:
      return DLGC_STATIC;
    default:
      return DLGC_BUTTON;
  }
}

}  // namespace

LRESULT ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    FreeState<ButtonState>(hwnd);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  ButtonState& state = StateOf<ButtonState>(hwnd);
  bool usable = IsWindowEnabled(hwnd) && TypeOf(hwnd) != BS_GROUPBOX;
  switch (message) {
    case WM_GETDLGCODE:
      return DialogCode(TypeOf(hwnd));
    case BM_GETCHECK:
      return state.check;
    case BM_SETCHECK:
      if (!IsPush(TypeOf(hwnd)) && TypeOf(hwnd) != BS_GROUPBOX) SetCheck(hwnd, state, wParam == BST_CHECKED);
      return 0;
    case BM_GETSTATE:
      return state.check | (state.pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
    case BM_SETSTATE:
      SetPushed(hwnd, state, wParam != 0);
      return 0;
    case BM_SETSTYLE:
      SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((StyleOf(hwnd) & ~BS_TYPEMASK) | (wParam & BS_TYPEMASK)));
      if (LOWORD(lParam)) Redraw(hwnd);
      return 0;
    case BM_CLICK:
      if (!usable) return 0;
      state.tracking = true;
      ReleaseAndClick(hwnd, state, true);
      return 0;
    case WM_LBUTTONDOWN:
      if (!usable) return 0;
      SetFocus(hwnd);
      state.tracking = true;
      SetPushed(hwnd, state, true);
      return 0;
    case WM_LBUTTONUP: {
      RECT client;
      GetClientRect(hwnd, &client);
      int x = static_cast<SHORT>(LOWORD(lParam));
      int y = static_cast<SHORT>(HIWORD(lParam));
      ReleaseAndClick(hwnd, state, x >= client.left && x < client.right && y >= client.top && y < client.bottom);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && usable && !state.tracking) {
        state.tracking = true;
        SetPushed(hwnd, state, true);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) ReleaseAndClick(hwnd, state, true);
      return 0;
    case WM_KILLFOCUS:
      state.tracking = false;
      SetPushed(hwnd, state, false);
      return 0;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
      Redraw(hwnd);
      return result;
    }
    case WM_ENABLE:
    case WM_SETFOCUS:
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
