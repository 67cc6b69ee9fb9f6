// The source's TWAIN state, its condition word and the other module-wide words of
// the entry point. One application at a time, on that application's thread.
#pragma once

#include <initializer_list>

#include "platform/window_handle.h"
#include "twain_ds/twain.h"

class CDialog;

namespace twain_ds {

// The TWAIN state times 100. The source never enters 700 itself; whatever accepts
// 600 accepts 700 as well.
enum class TwainState : TW_INT32 {
  kLoaded = 300,
  kOpen = 400,
  kEnabled = 500,
  kXferReady = 600,
  kTransferring = 700,
};

// A set of states, as the triplet rules name them.
class StateSet {
 public:
  constexpr StateSet(std::initializer_list<TwainState> states) {
    for (TwainState state : states) bits_ |= Bit(state);
  }
  constexpr bool Contains(TwainState state) const { return (bits_ & Bit(state)) != 0; }

 private:
  static constexpr unsigned Bit(TwainState state) { return 1u << (static_cast<int>(state) / 100); }
  unsigned bits_ = 0;
};

inline constexpr StateSet kAnyState{TwainState::kLoaded, TwainState::kOpen, TwainState::kEnabled,
                                    TwainState::kXferReady, TwainState::kTransferring};
inline constexpr StateSet kOpenStates{TwainState::kOpen, TwainState::kEnabled, TwainState::kXferReady,
                                      TwainState::kTransferring};
inline constexpr StateSet kEnabledStates{TwainState::kEnabled, TwainState::kXferReady, TwainState::kTransferring};
inline constexpr StateSet kXferStates{TwainState::kXferReady, TwainState::kTransferring};

extern TwainState g_state;
// The condition code of the latest failure, until DAT_STATUS reads it.
extern TW_UINT16 g_condition;
// hParent of the last MSG_ENABLEDS: the owner of the failure box.
extern HWND g_parentWindow;
// The transfer mechanism the application asked for; the transfer that runs is the
// one whose triplet the application sends.
extern TW_UINT16 g_requestedXferMech;
// The modeless main dialog while it exists.
extern CDialog* g_mainDialog;

// The main dialog's window, or null when there is none.
HWND GetMainDialogWindow();

}  // namespace twain_ds
