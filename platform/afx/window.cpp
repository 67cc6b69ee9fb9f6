#include "platform/afx/window.h"

#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/dialogs.h"
#include "platform/thread_message.h"

namespace {

// Objects bound to windows, for every thread: a window procedure runs on the
// window's thread, but code on another thread may look a window's object up.
std::mutex g_mapMutex;
std::unordered_map<HWND, CWnd*> g_permanent;

// Handle carriers made by FromHandle for windows without an object, per thread.
// A module-wide table, not a thread-local one: a thread-local object with a
// destructor would keep a data source's module loaded until the thread ends, and a
// source manager unloads the source right after its close.
struct TemporaryKey {
  std::thread::id thread;
  HWND hwnd;
  auto operator<=>(const TemporaryKey&) const = default;
};
std::mutex g_temporaryMutex;
std::map<TemporaryKey, std::unique_ptr<CWnd>> g_temporary;

bool IsTopLevel(HWND hwnd) { return !(GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD); }

}  // namespace

CWnd* afx::WndFromHandle(HWND hwnd) { return CWnd::FromHandle(hwnd); }

CWnd::~CWnd() {
  if (m_hWnd && super_proc_) ::DestroyWindow(m_hWnd);  // its WM_NCDESTROY unbinds the object
  // Still bound when the window is another thread's or already on its way out.
  Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  std::lock_guard lock(g_mapMutex);
  auto it = g_permanent.find(hwnd);
  return it == g_permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (CWnd* bound = FromHandlePermanent(hwnd)) return bound;
  std::thread::id self = std::this_thread::get_id();
  std::lock_guard lock(g_temporaryMutex);
  if (auto it = g_temporary.find({self, hwnd}); it != g_temporary.end()) return it->second.get();
  // This thread's carriers of windows that are gone are dropped here, so the table
  // stays as small as the threads' sets of windows.
  std::erase_if(g_temporary, [self](const auto& entry) {
    if (entry.first.thread != self || IsWindow(entry.first.hwnd)) return false;
    entry.second->m_hWnd = nullptr;
    return true;
  });
  auto carrier = std::make_unique<CWnd>();
  carrier->m_hWnd = hwnd;
  return g_temporary.emplace(TemporaryKey{self, hwnd}, std::move(carrier)).first->second.get();
}

BOOL CWnd::WalkPreTranslateTree(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = GetParent(hwnd)) {
    if (CWnd* wnd = FromHandlePermanent(hwnd); wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    if (IsTopLevel(hwnd)) break;
  }
  return FALSE;
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!hwnd || m_hWnd) return FALSE;
  std::lock_guard lock(g_mapMutex);
  if (!g_permanent.emplace(hwnd, this).second) return FALSE;
  m_hWnd = hwnd;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (!hwnd) return nullptr;
  // A window that stays gets its own procedure back.
  if (super_proc_ && IsWindow(hwnd) && GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc))
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super_proc_));
  {
    std::lock_guard lock(g_mapMutex);
    // A handle carrier shares the handle with the object bound to the window, if any.
    if (auto it = g_permanent.find(hwnd); it != g_permanent.end() && it->second == this) g_permanent.erase(it);
  }
  m_hWnd = nullptr;
  super_proc_ = nullptr;
  return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!IsWindow(hwnd) || !Attach(hwnd)) return FALSE;
  super_proc_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (!super_proc_) {
    Detach();
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return parent ? SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id))) : FALSE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(const RECT* rect, BOOL repaint) {
  MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, width, height, flags);
}

void CWnd::GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }

void CWnd::ScreenToClient(LPRECT rect) const {
  POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
  ::ScreenToClient(m_hWnd, &corners[0]);
  ::ScreenToClient(m_hWnd, &corners[1]);
  *rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

void CWnd::SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
int CWnd::GetWindowText(LPSTR buffer, int capacity) const { return ::GetWindowTextA(m_hWnd, buffer, capacity); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::Default() {
  const MSG& current = platform::ThreadCurrentMessage();
  return DefWindowProc(current.message, current.wParam, current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (super_proc_) return CallWindowProcA(super_proc_, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  for (const afx::MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
    for (std::size_t i = 0; i < map->count; ++i) {
      const afx::MessageMapEntry& entry = map->entries[i];
      if (entry.message != message) continue;
      if (message == WM_COMMAND && (entry.id != LOWORD(wParam) || entry.code != HIWORD(wParam))) continue;
      *result = entry.handler(this, wParam, lParam);
      return TRUE;
    }
  }
  return FALSE;
}

void CWnd::PostNcDestroy() {}

void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnHScroll(UINT, UINT, CWnd*) { Default(); }

void CWnd::OnNcDestroy() {
  Default();
  Unbind();
}

void CWnd::Unbind() {
  Detach();
  PostNcDestroy();  // may delete the object
}

const afx::MessageMap* CWnd::GetMessageMap() const { return ThisMessageMap(); }

const afx::MessageMap* CWnd::ThisMessageMap() {
  static constexpr afx::EntryFor<CWnd> kTyped[] = {afx::OnWmNcDestroy<&CWnd::OnNcDestroy>()};
  static constexpr auto kEntries = afx::Untyped(kTyped);
  static constexpr afx::MessageMap kMap{nullptr, kEntries.data(), kEntries.size()};
  return &kMap;
}

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  MSG& current = platform::ThreadCurrentMessage();
  MSG outer = current;
  current = MSG{hwnd, message, wParam, lParam, 0, {}};
  LRESULT result = wnd->WindowProc(message, wParam, lParam);
  // A WM_NCDESTROY handler that did not call the framework's still unbinds.
  if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hwnd) == wnd) wnd->Unbind();
  current = outer;
  return result;
}
