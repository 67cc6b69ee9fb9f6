#include "platform/ui_script.h"

#include <dlfcn.h>
#include <strings.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/automation.h"
#include "platform/controls.h"
#include "platform/screen_picture.h"
#include "platform/ui_script_line.h"
#include "platform/window_system.h"

namespace platform {
namespace {

using ws::Clock;
using Error = std::optional<std::string>;

constexpr const char* kScriptVariable = "VPC_UI_SCRIPT";
// A thread's pending messages run for it in one go at most, so that a window that
// keeps repainting itself cannot hold the script.
constexpr int kMessageLimit = 10000;
// How long a picture waits for a pumping thread to paint what it has to.
constexpr DWORD kSettleMs = 1000;
// How long the exit waits for the line in progress.
constexpr DWORD kExitGraceMs = 2000;
constexpr auto kPoll = std::chrono::milliseconds(1);
constexpr auto kWaitPoll = std::chrono::milliseconds(10);

std::atomic<bool> g_exiting{false};

void StopAtExit() {
  g_exiting = true;
  // The line in progress ends first; the lock is then kept, so that no window code
  // runs on a script's thread while the process is going.
  ws::TryTakeWindowSystemLock(kExitGraceMs);
}

// Registered once a script first runs window code, which is after the platform's
// own start-up, so that it runs before the platform's objects are destroyed.
void StopScriptsAtExit() {
  static std::once_flag once;
  std::call_once(once, [] { std::atexit(&StopAtExit); });
}

// The window-system lock for one step of a line; a step that cannot get it soon
// (the host is inside DS_Entry) tries again.
class StepLock {
 public:
  StepLock() : held_(ws::TryTakeWindowSystemLock(10)) {
    if (held_) StopScriptsAtExit();
  }
  ~StepLock() {
    if (held_) ws::GiveWindowSystemLock();
  }
  StepLock(const StepLock&) = delete;
  StepLock& operator=(const StepLock&) = delete;
  bool held() const { return held_; }

 private:
  bool held_;
};

// Posted behind a command's input: gone (run, or dropped with its window) once the
// thread has handled what came before it.
class Marker final : public AutomationAction {
 public:
  explicit Marker(std::shared_ptr<std::atomic<bool>> passed) : passed_(std::move(passed)) {}
  ~Marker() override { *passed_ = true; }
  void Run(HWND) override {}

 private:
  std::shared_ptr<std::atomic<bool>> passed_;
};

bool SameText(const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) == 0; }

// "&Save" shows as "Save"; "&&" is a plain '&'.
std::string WithoutMnemonics(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '&') {
      out += '&';
      ++i;
    }
  }
  return out;
}

bool IsClass(const ws::Window& w, const char* name) { return w.cls && ::strcasecmp(w.cls->name.c_str(), name) == 0; }

bool ShownTopLevel(HWND hwnd) {
  std::lock_guard lock(ws::S().mutex);
  ws::Window* w = hwnd ? ws::FindLocked(hwnd) : nullptr;
  return w && !w->parent && !w->destroying && ws::IsVisibleLocked(*w);
}

HWND VisibleTopLevel(const std::string& title) {
  std::lock_guard lock(ws::S().mutex);
  for (HWND h : ws::S().top_level) {
    ws::Window* w = ws::FindLocked(h);
    if (w && !w->destroying && ws::IsVisibleLocked(*w) && SameText(w->text, title)) return h;
  }
  return nullptr;
}

template <class Wanted>
HWND FindControl(const std::vector<HWND>& roots, Wanted wanted) {
  std::lock_guard lock(ws::S().mutex);
  for (HWND root : roots)
    for (HWND h : ws::SubtreeLocked(root))
      if (ws::Window* w = ws::FindLocked(h); w && h != root && !w->destroying && wanted(*w)) return h;
  return nullptr;
}

// Where keys for the window go: its thread's focus when that is inside it.
HWND FocusIn(HWND root) {
  std::lock_guard lock(ws::S().mutex);
  ws::Window* w = ws::FindLocked(root);
  if (!w) return nullptr;
  HWND focus = w->queue->focus;
  return ws::InTreeLocked(root, focus) ? focus : root;
}

std::shared_ptr<ws::ThreadQueue> QueueOf(HWND hwnd) {
  std::lock_guard lock(ws::S().mutex);
  ws::Window* w = ws::FindLocked(hwnd);
  return w ? w->queue : nullptr;
}

bool IdleLocked(const ws::ThreadQueue& q) {
  if (!q.posted.empty() || !q.sent.empty()) return false;
  for (const auto& [h, w] : ws::S().windows)
    if (w->queue.get() == &q && ws::IsVisibleLocked(*w) && ws::NeedsPaintLocked(*w)) return false;
  return true;
}

// With the queue borrowed: what the owner's loop would do with its messages.
void RunPendingMessages() {
  MSG msg;
  for (int i = 0; i < kMessageLimit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
    if (!automation::DeliverMessage(&msg)) return;
}

// The key and shift state that give a key name's key or character.
std::optional<std::pair<UINT, bool>> KeyOf(const std::string& name) {
  if (UINT named = NamedKey(name)) return std::pair{named, false};
  if (name.size() != 1) return std::nullopt;
  for (bool shift : {false, true})
    for (UINT key = 1; key < 256; ++key)
      if (ws::CharOfKey(key, shift) == name[0]) return std::pair{key, shift};
  return std::nullopt;
}

class Script;
thread_local Script* t_script = nullptr;

class Script {
 public:
  Script(std::string path, std::vector<std::string> lines, DWORD timeoutMs)
      : path_(std::move(path)), lines_(std::move(lines)), timeout_(timeoutMs) {}

  bool Run() {
    Script* outer = std::exchange(t_script, this);
    ws::WaitHook outerHook = ws::ThreadWaitHook();
    ws::SetThreadWaitHook(&RunNestedLine);
    while (!failed_ && next_ < lines_.size() && !g_exiting) RunNext();
    ws::SetThreadWaitHook(outerHook);
    t_script = outer;
    return !failed_;
  }

 private:
  // A modal loop that one of the lines opened waits on this thread: the next line
  // runs there.
  static bool RunNestedLine() {
    Script* s = t_script;
    if (!s || s->failed_ || s->next_ >= s->lines_.size() || g_exiting) return false;
    s->RunNext();
    return true;
  }

  void RunNext() {
    std::size_t number = ++next_;
    UiScriptLine line = ParseUiScriptLine(lines_[number - 1]);
    if (line.command == UiCommand::kNone && line.error.empty()) return;
    Error error = line.error.empty() ? RunLine(line) : Error(line.error);
    if (!error) return;
    failed_ = true;
    if (!g_exiting)
      std::fprintf(stderr, "ui script %s, line %zu: %s: %s\n", path_.c_str(), number, error->c_str(),
                   lines_[number - 1].c_str());
  }

  Error RunLine(const UiScriptLine& line) {
    switch (line.command) {
      case UiCommand::kWait:
        return Wait(line.text);
      case UiCommand::kSleep:
        std::this_thread::sleep_for(std::chrono::milliseconds(line.number));
        return std::nullopt;
      case UiCommand::kClick:
        return Click(line.text);
      case UiCommand::kKey: {
        std::optional<std::pair<UINT, bool>> key = KeyOf(line.text);
        return key ? Key(key->first, key->second) : Error("unknown key");
      }
      case UiCommand::kText:
        return Text(line.number, line.text);
      case UiCommand::kScreen:
        return Screen(line.text);
      case UiCommand::kNone:
        break;
    }
    return std::nullopt;
  }

  Error Wait(const std::string& title) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_);
    for (;;) {
      if (HWND found = VisibleTopLevel(title)) {
        std::erase(waited_, found);
        waited_.push_back(found);
        return std::nullopt;
      }
      if (Clock::now() >= deadline || g_exiting)
        return "no window \"" + title + "\" after " + std::to_string(timeout_) + " ms";
      std::this_thread::sleep_for(kWaitPoll);
    }
  }

  // The active window, then the most recent of the windows waited for that is still shown.
  std::vector<HWND> Targets() {
    std::vector<HWND> targets;
    HWND active = GetForegroundWindow();
    if (ShownTopLevel(active)) targets.push_back(active);
    std::erase_if(waited_, [](HWND h) { return !IsWindow(h); });
    for (auto it = waited_.rbegin(); it != waited_.rend(); ++it)
      if (*it != active && ShownTopLevel(*it)) {
        targets.push_back(*it);
        break;
      }
    return targets;
  }

  Error Click(const std::string& caption) {
    HWND button = FindControl(Targets(), [&](const ws::Window& w) {
      return IsClass(w, WC_BUTTONA) && (SameText(w.text, caption) || SameText(WithoutMnemonics(w.text), caption));
    });
    if (!button) return "no button \"" + caption + "\"";
    if (!automation::Click(button)) return "the button is hidden or disabled";
    return Handled(button);
  }

  Error Text(int id, const std::string& text) {
    HWND edit = FindControl(Targets(), [&](const ws::Window& w) { return IsClass(w, WC_EDITA) && w.id == id; });
    if (!edit) return "no edit " + std::to_string(id);
    if (!automation::SetText(edit, text)) return "the edit is hidden or disabled";
    return Handled(edit);
  }

  Error Key(UINT key, bool shift) {
    std::vector<HWND> targets = Targets();
    HWND focus = targets.empty() ? nullptr : FocusIn(targets.front());
    if (!focus || !automation::PressKeyAt(focus, key, shift)) return "no window to take the key";
    return Handled(focus);
  }

  Error Screen(const std::string& file) {
    Settle();
    Picture screen = RenderScreen();
    if (screen.width == 0) return "no screen to picture";
    if (!WritePng(screen, file)) return "cannot write the picture";
    return std::nullopt;
  }

  // Waits until the window's thread has handled the input just posted to the
  // window: the thread itself when it pumps, else this one acting for it.
  Error Handled(HWND window) {
    auto passed = std::make_shared<std::atomic<bool>>(false);
    // Deleted at once, which counts as passed, when the window is gone.
    PostMessageA(window, kAutomationMessage, 0, reinterpret_cast<LPARAM>(new Marker(passed)));
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_);
    while (!*passed) {
      {
        StepLock lock;
        if (lock.held()) {
          std::shared_ptr<ws::ThreadQueue> q = QueueOf(window);
          bool ours;
          {
            std::lock_guard tables(ws::S().mutex);
            ours = q && q == ws::BorrowedQueueLocked();
          }
          // The modal loop that runs this line is that thread's loop: it takes the input next.
          if (ours) return std::nullopt;
          if (ws::QueueBorrow borrow(q); borrow) RunPendingMessages();
        }
      }
      if (*passed) break;
      if (Clock::now() >= deadline || g_exiting) return "the window's thread did not take the input";
      std::this_thread::sleep_for(kPoll);
    }
    return std::nullopt;
  }

  // Every thread with a visible window has painted what it has to: those that do
  // not pump get their messages run here, those that do get a moment.
  void Settle() {
    std::vector<std::shared_ptr<ws::ThreadQueue>> queues;
    {
      std::lock_guard lock(ws::S().mutex);
      for (HWND h : ws::S().top_level)
        if (ws::Window* w = ws::FindLocked(h); w && ws::IsVisibleLocked(*w))
          if (std::find(queues.begin(), queues.end(), w->queue) == queues.end()) queues.push_back(w->queue);
    }
    for (const std::shared_ptr<ws::ThreadQueue>& q : queues) {
      auto deadline = Clock::now() + std::chrono::milliseconds(kSettleMs);
      for (bool settled = false; !settled && Clock::now() < deadline && !g_exiting;) {
        {
          StepLock lock;
          if (lock.held()) {
            ws::QueueBorrow borrow(q);
            if (borrow) {
              RunPendingMessages();
              settled = true;
            } else {
              std::lock_guard tables(ws::S().mutex);
              settled = !q->alive || IdleLocked(*q);
            }
          }
        }
        if (!settled) std::this_thread::sleep_for(kPoll);
      }
    }
  }

  std::string path_;
  std::vector<std::string> lines_;
  DWORD timeout_;
  std::size_t next_ = 0;
  bool failed_ = false;
  std::vector<HWND> waited_;  // oldest first
};

// The script's thread runs platform code after whatever module loaded the platform
// has gone: the platform stays.
void KeepPlatformLoaded() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&KeepPlatformLoaded), &info) && info.dli_fname)
    ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

__attribute__((constructor)) void StartTheEnvironmentsScript() {
  const char* path = std::getenv(kScriptVariable);
  if (path && *path) StartUiScript(path);
}

}  // namespace

bool RunUiScript(const std::string& path, DWORD timeoutMs) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "ui script %s: cannot be read\n", path.c_str());
    return false;
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return Script(path, std::move(lines), timeoutMs).Run();
}

void StartUiScript(const std::string& path) {
  KeepPlatformLoaded();
  std::thread([path] { RunUiScript(path); }).detach();
}

}  // namespace platform
