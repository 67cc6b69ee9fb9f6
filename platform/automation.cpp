#include "platform/automation.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/controls.h"
#include "platform/controls/control_support.h"
#include "platform/dialogs.h"
#include "platform/sync.h"
#include "platform/window_system.h"

namespace platform::automation {
namespace {

class FunctionAction final : public AutomationAction {
 public:
  explicit FunctionAction(std::function<void(HWND)> work) : work_(std::move(work)) {}
  void Run(HWND hwnd) override { work_(hwnd); }

 private:
  std::function<void(HWND)> work_;
};

// The work runs on the thread that owns the window, when it dispatches the action.
bool PostAction(HWND hwnd, std::function<void(HWND)> work) {
  auto* action = new FunctionAction(std::move(work));
  if (PostMessageA(hwnd, kAutomationMessage, 0, reinterpret_cast<LPARAM>(action))) return true;
  delete action;
  return false;
}

bool IsChildWindow(HWND hwnd) { return GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD; }

// Input reaches a window only while it and its parents are shown and enabled.
bool Reachable(HWND hwnd) {
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return false;
  for (HWND h = hwnd; h; h = IsChildWindow(h) ? GetParent(h) : nullptr)
    if (!IsWindowEnabled(h)) return false;
  return true;
}

LPARAM Centre(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  return MAKELPARAM(static_cast<WORD>(client.right / 2), static_cast<WORD>(client.bottom / 2));
}

// The caller's filter, else the dialog manager of the message's top-level dialog.
bool Taken(MSG* msg, const PreTranslateFilter& filter) {
  if (filter) return filter(msg);
  HWND top = TopLevelOf(msg->hwnd);
  return top && IsDialogWindow(top) && IsDialogMessageA(top, msg);
}

enum class Pumped { kNothing, kMessage, kQuit };

Pumped PumpOne(const PreTranslateFilter& filter) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return Pumped::kNothing;
  return DeliverMessage(&msg, filter) ? Pumped::kMessage : Pumped::kQuit;
}

// Pumps until `done` holds, the time is up or the thread is told to quit.
template <class Done>
void Pump(Done done, DWORD milliseconds, const PreTranslateFilter& filter) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    Pumped pumped = PumpOne(filter);
    if (pumped == Pumped::kQuit || std::chrono::steady_clock::now() >= deadline) return;
    if (pumped == Pumped::kNothing) ws::PumpPause(1);
  }
}

struct Step {
  std::optional<std::string> title;
  std::optional<std::string> class_name;
  StepWhen when;
  StepAction action;
};

std::mutex g_stepsMutex;
std::deque<Step> g_steps;

LPCSTR OrNull(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

// The idle hook: runs the first pending step when its window belongs to this thread
// and is in the state the step waits for.
bool RunDueStep() {
  Step step;
  HWND hwnd;
  {
    std::lock_guard lock(g_stepsMutex);
    if (g_steps.empty()) return false;
    const Step& next = g_steps.front();
    hwnd = FindWindowA(OrNull(next.class_name), OrNull(next.title));
    if (!hwnd || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return false;
    if (next.when == StepWhen::kActive && GetActiveWindow() != hwnd) return false;
    step = std::move(g_steps.front());
    g_steps.pop_front();
  }
  step.action(hwnd);
  return true;
}

}  // namespace

bool DeliverMessage(MSG* msg, const PreTranslateFilter& filter) {
  if (msg->message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg->wParam));  // left for the thread's own loop
    return false;
  }
  // Only dispatching runs and deletes an action, so no filter is offered one.
  if (msg->message == kAutomationMessage || !Taken(msg, filter)) {
    TranslateMessage(msg);
    DispatchMessageA(msg);
  }
  return true;
}

HWND FindWindow(LPCSTR className, LPCSTR title) { return FindWindowA(className, title); }

HWND FindControl(HWND dialog, int id) { return GetDlgItem(dialog, id); }

bool Click(HWND control) {
  if (!Reachable(control)) return false;
  LPARAM centre = Centre(control);
  return PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre) && PostMessageA(control, WM_LBUTTONUP, 0, centre);
}

bool SetText(HWND edit, const std::string& text) {
  // A single-line edit tells its parent of a changed text itself (EN_CHANGE).
  return Reachable(edit) && PostAction(edit, [text](HWND hwnd) { SetWindowTextA(hwnd, text.c_str()); });
}

bool Select(HWND combo, int index) {
  return Reachable(combo) && PostAction(combo, [index](HWND hwnd) {
           if (index < 0 || index >= SendMessageA(hwnd, CB_GETCOUNT, 0, 0)) return;
           SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
           controls::NotifyParent(hwnd, CBN_SELCHANGE);
         });
}

bool MoveSlider(HWND trackbar, int position) {
  return Reachable(trackbar) && PostAction(trackbar, [position](HWND hwnd) {
           int low = static_cast<int>(SendMessageA(hwnd, TBM_GETRANGEMIN, 0, 0));
           int high = static_cast<int>(SendMessageA(hwnd, TBM_GETRANGEMAX, 0, 0));
           int clamped = std::clamp(position, low, std::max(low, high));
           SendMessageA(hwnd, TBM_SETPOS, TRUE, clamped);
           controls::ScrollParent(hwnd, TB_THUMBTRACK, static_cast<WORD>(clamped));
           controls::ScrollParent(hwnd, TB_ENDTRACK);
         });
}

bool Scroll(HWND scrollBar, int code) {
  return Reachable(scrollBar) && PostAction(scrollBar, [code](HWND hwnd) {
           controls::ScrollParent(hwnd, static_cast<WORD>(code));
           if (code != SB_ENDSCROLL) controls::ScrollParent(hwnd, SB_ENDSCROLL);
         });
}

bool Check(HWND button, bool checked) {
  return Reachable(button) && PostAction(button, [checked](HWND hwnd) {
           if ((SendMessageA(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) == checked) return;
           // The click happens here, in the action's place among the queued input.
           LPARAM centre = Centre(hwnd);
           SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, centre);
           SendMessageA(hwnd, WM_LBUTTONUP, 0, centre);
         });
}

bool PressKey(UINT virtualKey, bool shift) { return PressKeyAt(GetFocus(), virtualKey, shift); }

bool PressKeyAt(HWND focus, UINT virtualKey, bool shift) {
  if (!focus) return false;
  // lParam: repeat count 1; a release also carries the previous-state and transition bits.
  constexpr LPARAM kPress = 1;
  constexpr LPARAM kRelease = static_cast<LPARAM>(0xC0000001u);
  if (shift) PostMessageA(focus, WM_KEYDOWN, VK_SHIFT, kPress);
  bool posted = PostMessageA(focus, WM_KEYDOWN, virtualKey, kPress);
  PostMessageA(focus, WM_KEYUP, virtualKey, kRelease);
  if (shift) PostMessageA(focus, WM_KEYUP, VK_SHIFT, kRelease);
  return posted;
}

void RunUntilIdle(const PreTranslateFilter& filter) {
  while (PumpOne(filter) == Pumped::kMessage) {
  }
}

bool RunUntil(const std::function<bool()>& done, DWORD timeoutMs, const PreTranslateFilter& filter) {
  Pump(done, timeoutMs, filter);
  return done();
}

void RunFor(DWORD milliseconds, const PreTranslateFilter& filter) {
  Pump([] { return false; }, milliseconds, filter);
}

void AddStep(LPCSTR title, LPCSTR className, StepWhen when, StepAction action) {
  {
    std::lock_guard lock(g_stepsMutex);
    g_steps.push_back(Step{title ? std::optional<std::string>(title) : std::nullopt,
                           className ? std::optional<std::string>(className) : std::nullopt, when, std::move(action)});
  }
  SetIdleHook(&RunDueStep);
}

void ClearSteps() {
  std::lock_guard lock(g_stepsMutex);
  g_steps.clear();
}

std::size_t StepsPending() {
  std::lock_guard lock(g_stepsMutex);
  return g_steps.size();
}

}  // namespace platform::automation
