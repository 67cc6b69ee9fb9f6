// Message maps: each framework class keeps a constant table of the messages it
// handles, chained to its base class's table. A window's messages are looked up
// from the most derived table down; the first entry that matches handles it.
//
//   class CPreviewDlg : public CDialog {
//     ...
//     DECLARE_MESSAGE_MAP()
//   };
//
//   DEFINE_MESSAGE_MAP(CPreviewDlg, CDialog,
//                      {
//                          afx::OnCommand<&CPreviewDlg::OnApply>(IDC_APPLY),
//                          afx::OnCommand<&CPreviewDlg::OnNameChange>(IDC_NAME, EN_CHANGE),
//                          afx::OnMessage<&CPreviewDlg::OnRefresh>(WM_USER),
//                          afx::OnWmMove<&CPreviewDlg::OnMove>(),
//                      })
//
// Each entry checks the handler's signature, and the table checks that every
// handler belongs to the class or one of its bases.
#pragma once

#include <array>
#include <cstddef>
#include <type_traits>

#include "platform/controls.h"
#include "platform/user.h"

class CWnd;

namespace afx {

struct MessageMapEntry {
  UINT message = 0;
  UINT id = 0;    // WM_COMMAND: the control id
  UINT code = 0;  // WM_COMMAND: the notification code
  LRESULT (*handler)(CWnd* self, WPARAM wParam, LPARAM lParam) = nullptr;
};

struct MessageMap {
  const MessageMap* (*base)();  // null for the root class
  const MessageMapEntry* entries;
  std::size_t count;
};

// The framework object of a control handle given in a message.
CWnd* WndFromHandle(HWND hwnd);

namespace detail {

template <class F>
struct HandlerTraits;
template <class C, class R, class... A>
struct HandlerTraits<R (C::*)(A...)> {
  using Class = C;
};
template <auto F>
using HandlerClass = typename HandlerTraits<decltype(F)>::Class;

}  // namespace detail

// An entry that remembers which class its handler belongs to.
template <class C>
struct TypedEntry {
  MessageMapEntry entry;
};

namespace detail {

// An entry whose handler takes nothing: void Handler().
template <auto F>
constexpr TypedEntry<HandlerClass<F>> VoidEntry(UINT message, UINT id, UINT code) {
  using C = HandlerClass<F>;
  static_assert(std::is_same_v<decltype(F), void (C::*)()>, "this message's handler is void Handler()");
  return {{message, id, code, [](CWnd* self, WPARAM, LPARAM) -> LRESULT {
             (static_cast<C*>(self)->*F)();
             return 0;
           }}};
}

}  // namespace detail

// WM_COMMAND from control `id` with notification `code`: void Handler().
template <auto F>
constexpr TypedEntry<detail::HandlerClass<F>> OnCommand(UINT id, UINT code = BN_CLICKED) {
  return detail::VoidEntry<F>(WM_COMMAND, id, code);
}

// Any message by number (private WM_USER messages): LRESULT Handler(WPARAM, LPARAM).
template <auto F>
constexpr TypedEntry<detail::HandlerClass<F>> OnMessage(UINT message) {
  using C = detail::HandlerClass<F>;
  static_assert(std::is_same_v<decltype(F), LRESULT (C::*)(WPARAM, LPARAM)>,
                "a message handler is LRESULT Handler(WPARAM, LPARAM)");
  return {{message, 0, 0, [](CWnd* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
             return (static_cast<C*>(self)->*F)(wParam, lParam);
           }}};
}

// WM_HSCROLL: void Handler(UINT code, UINT position, CWnd* bar); bar is null for
// the window's own scroll bar.
template <auto F>
constexpr TypedEntry<detail::HandlerClass<F>> OnWmHScroll() {
  using C = detail::HandlerClass<F>;
  static_assert(std::is_same_v<decltype(F), void (C::*)(UINT, UINT, CWnd*)>,
                "a WM_HSCROLL handler is void Handler(UINT code, UINT position, CWnd* bar)");
  return {{WM_HSCROLL, 0, 0, [](CWnd* self, WPARAM wParam, LPARAM lParam) -> LRESULT {
             (static_cast<C*>(self)->*F)(LOWORD(wParam), static_cast<UINT>(static_cast<SHORT>(HIWORD(wParam))),
                                         WndFromHandle(reinterpret_cast<HWND>(lParam)));
             return 0;
           }}};
}

// WM_MOVE: void Handler(int x, int y), the client area's new top-left.
template <auto F>
constexpr TypedEntry<detail::HandlerClass<F>> OnWmMove() {
  using C = detail::HandlerClass<F>;
  static_assert(std::is_same_v<decltype(F), void (C::*)(int, int)>, "a WM_MOVE handler is void Handler(int x, int y)");
  return {{WM_MOVE, 0, 0, [](CWnd* self, WPARAM, LPARAM lParam) -> LRESULT {
             (static_cast<C*>(self)->*F)(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
             return 0;
           }}};
}

// WM_PAINT and WM_NCDESTROY: void Handler().
template <auto F>
constexpr TypedEntry<detail::HandlerClass<F>> OnWmPaint() {
  return detail::VoidEntry<F>(WM_PAINT, 0, 0);
}

template <auto F>
constexpr TypedEntry<detail::HandlerClass<F>> OnWmNcDestroy() {
  return detail::VoidEntry<F>(WM_NCDESTROY, 0, 0);
}

// An entry of class T's table: its handler must be a member of T or of a base of T.
template <class T>
struct EntryFor {
  template <class C>
  constexpr EntryFor(TypedEntry<C> typed) : entry(typed.entry) {
    static_assert(std::is_base_of_v<C, T>, "a handler of another class in this message map");
  }
  MessageMapEntry entry;
};

template <class T, std::size_t N>
constexpr std::array<MessageMapEntry, N> Untyped(const EntryFor<T> (&typed)[N]) {
  std::array<MessageMapEntry, N> entries{};
  for (std::size_t i = 0; i < N; ++i) entries[i] = typed[i].entry;
  return entries;
}

}  // namespace afx

// In the class: the table and the virtual function that finds it.
#define DECLARE_MESSAGE_MAP()                       \
 protected:                                         \
  static const ::afx::MessageMap* ThisMessageMap(); \
  const ::afx::MessageMap* GetMessageMap() const override;

// In the class's source file: the table, a braced list of at least one entry.
#define DEFINE_MESSAGE_MAP(theClass, baseClass, ...)                                                       \
  const ::afx::MessageMap* theClass::GetMessageMap() const { return ThisMessageMap(); }                    \
  const ::afx::MessageMap* theClass::ThisMessageMap() {                                                    \
    static constexpr ::afx::EntryFor<theClass> kTyped[] = __VA_ARGS__;                                     \
    static constexpr auto kEntries = ::afx::Untyped(kTyped);                                               \
    static constexpr ::afx::MessageMap kMap{&baseClass::ThisMessageMap, kEntries.data(), kEntries.size()}; \
    return &kMap;                                                                                          \
  }
