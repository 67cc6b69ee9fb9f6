// The framework's window class: a C++ object bound to a window handle. The
// messages of a window the framework subclassed reach the object's message map;
// what the map leaves alone goes to the procedure the window had before.
#pragma once

#include "platform/afx/message_map.h"
#include "platform/user.h"

class CWnd {
 public:
  CWnd() = default;
  // A window still bound to the object is destroyed with it.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;

  // The object bound to the handle, else a temporary one that lives as long as the
  // window (it only carries the handle); null for a null handle.
  static CWnd* FromHandle(HWND hwnd);
  // The object bound to the handle, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // Offers the message to PreTranslateMessage of the framework objects from its
  // window up to that window's top-level window; TRUE when one of them took it.
  static BOOL WalkPreTranslateTree(MSG* msg);

  // Binds the object to the window without taking over its messages.
  BOOL Attach(HWND hwnd);
  // Unbinds the object; a subclassed window gets its own procedure back.
  HWND Detach();
  // Binds the object and routes the window's messages through the message map; the
  // window's procedure so far handles what the map does not.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  BOOL DestroyWindow();

  CWnd* GetDlgItem(int id) const;
  void Invalidate(BOOL erase = TRUE);
  void UpdateWindow();
  BOOL ShowWindow(int command);
  BOOL EnableWindow(BOOL enable = TRUE);
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
  void MoveWindow(const RECT* rect, BOOL repaint = TRUE);
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags);
  void GetWindowRect(LPRECT rect) const;
  void GetClientRect(LPRECT rect) const;
  void ScreenToClient(LPPOINT point) const;
  void ScreenToClient(LPRECT rect) const;
  void SetWindowText(LPCSTR text);
  int GetWindowText(LPSTR buffer, int capacity) const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // TRUE when the message was handled here and must not be dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg);

 protected:
  // The window's previous procedure (or DefWindowProcA) for the message being handled.
  LRESULT Default();
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The message map first, else DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Called after the window's last message, once the object is no longer bound to it.
  virtual void PostNcDestroy();

  // The framework's handling, for derived handlers to call.
  void OnMove(int x, int y);
  void OnPaint();
  void OnHScroll(UINT code, UINT position, CWnd* bar);
  void OnNcDestroy();

  static const afx::MessageMap* ThisMessageMap();
  virtual const afx::MessageMap* GetMessageMap() const;

 private:
  friend LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Unbind();

  WNDPROC super_proc_ = nullptr;
};

// The window procedure of subclassed windows.
LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
