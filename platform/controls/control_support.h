// What the standard controls share: their state behind the first extra window
// bytes, their text (kept by DefWindowProcA), notifications to the parent and
// the pieces they draw with.
#pragma once

#include <string>

#include "platform/controls.h"

namespace platform::controls {

// Window procedures of the classes registered by RegisterControlClasses.
LRESULT ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT TrackbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Extra window bytes of every control class: a pointer to its state.
constexpr int kStateBytes = sizeof(void*);

// The control's state, made on first use and freed by FreeState at WM_NCDESTROY.
template <class State>
State& StateOf(HWND hwnd) {
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(hwnd, 0));
  if (!state) {
    state = new State;
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(state));
  }
  return *state;
}
template <class State>
void FreeState(HWND hwnd) {
  delete reinterpret_cast<State*>(SetWindowLongPtrA(hwnd, 0, 0));
}

inline DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

// The window text as DefWindowProcA keeps it, read without going through the
// control's own WM_GETTEXT.
std::string StoredText(HWND hwnd);
void StoreText(HWND hwnd, const std::string& text);

// WM_COMMAND with the control's id and the code, to its parent.
void NotifyParent(HWND control, WORD code);
// WM_HSCROLL with the code (and position) to the parent, lParam the control.
void ScrollParent(HWND control, WORD code, WORD position = 0);

void Redraw(HWND hwnd);

// BeginPaint .. EndPaint around a control's drawing.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd);
  ~PaintScope();
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC dc() const { return paint_.hdc; }
  RECT client() const { return client_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  RECT client_{};
};

void FillSys(HDC dc, const RECT& rect, int colorIndex);
// Text in the button-text colour, grey when the control is disabled, on no
// background.
void DrawLabel(HDC dc, HWND hwnd, const std::string& text, RECT rect, UINT format);
// A raised (or, pressed, sunken) button face filling the rectangle.
void DrawButtonFace(HDC dc, RECT rect, bool pressed);
enum class Arrow { kLeft, kRight, kDown };
// A small filled triangle centred in the rectangle.
void DrawArrow(HDC dc, const RECT& rect, Arrow direction, bool enabled);

}  // namespace platform::controls
