// Driving windows as a user would, for tests and UI scripts. Actions travel the
// queue of the thread that owns the target window and run when that thread
// dispatches them; clicks and keys are posted as real input messages. Scripted
// steps run from the idle time of the thread that owns their window.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/user.h"

namespace platform::automation {

// A top-level window by class and/or title (either may be null).
PLATFORM_EXPORT HWND FindWindow(LPCSTR className, LPCSTR title);
PLATFORM_EXPORT HWND FindControl(HWND dialog, int id);

// Each action returns false, doing nothing, for a window that is gone, hidden or
// disabled (or inside a disabled window), as a user could not reach it.

// Left button down and up at the window's centre.
PLATFORM_EXPORT bool Click(HWND control);
// Replaces the whole text of an edit as typing over it would (EN_CHANGE to the parent).
PLATFORM_EXPORT bool SetText(HWND edit, const std::string& text);
// Selects a combo box item (CBN_SELCHANGE to the parent); an index out of range
// changes nothing.
PLATFORM_EXPORT bool Select(HWND combo, int index);
// Drags a trackbar's thumb to the position, clamped to the range (WM_HSCROLL
// TB_THUMBTRACK, then TB_ENDTRACK, to the parent).
PLATFORM_EXPORT bool MoveSlider(HWND trackbar, int position);
// A scroll-bar action such as SB_LINEUP (WM_HSCROLL code, then SB_ENDSCROLL, to the parent).
PLATFORM_EXPORT bool Scroll(HWND scrollBar, int code);
// Clicks a check box or radio button if its check state differs from `checked`.
PLATFORM_EXPORT bool Check(HWND button, bool checked);
// Key down and up into the queue of the calling thread's focus window, with Shift
// held around it when asked; false when no window has the focus.
PLATFORM_EXPORT bool PressKey(UINT virtualKey, bool shift = false);
// The same into the queue of the thread that owns `focus`, addressed to it.
PLATFORM_EXPORT bool PressKeyAt(HWND focus, UINT virtualKey, bool shift = false);

// Message pumps of the calling thread. A message goes to the filter first (as a
// framework's pre-translation would); without one, a message of a dialog or of its
// controls goes to IsDialogMessageA of the dialog. What is left is translated and
// dispatched. A WM_QUIT stops the pump and is left in the queue.
using PreTranslateFilter = std::function<bool(MSG*)>;
// Until no message is waiting and no scripted step is due.
PLATFORM_EXPORT void RunUntilIdle(const PreTranslateFilter& filter = {});
// Until done() holds (true) or timeoutMs passed (false).
PLATFORM_EXPORT bool RunUntil(const std::function<bool()>& done, DWORD timeoutMs,
                              const PreTranslateFilter& filter = {});
PLATFORM_EXPORT void RunFor(DWORD milliseconds, const PreTranslateFilter& filter = {});
// One retrieved message as the pumps above handle it, for a loop of one's own:
// false for a WM_QUIT, which is posted again for the thread's own loop.
PLATFORM_EXPORT bool DeliverMessage(MSG* msg, const PreTranslateFilter& filter = {});

// Scripted steps: each runs once, in the order added, when the window with the title
// (and class, if given; either may be null) exists or is the active window of its
// thread; the step runs on that thread, while it is idle, with the window's handle.
enum class StepWhen { kExists, kActive };
using StepAction = std::function<void(HWND)>;
PLATFORM_EXPORT void AddStep(LPCSTR title, LPCSTR className, StepWhen when, StepAction action);
PLATFORM_EXPORT void ClearSteps();
PLATFORM_EXPORT std::size_t StepsPending();

}  // namespace platform::automation
