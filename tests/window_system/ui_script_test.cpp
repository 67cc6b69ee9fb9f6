// UI scripts for hosts that run no message loop: a thread makes a modeless dialog,
// as a data source does inside DS_Entry, and blocks on its semaphore; the script,
// on a thread of its own, types, pictures and clicks, and the dialog's procedure
// runs on the script's thread. A host that pumps handles the input itself.
#include <png.h>
#include <semaphore.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/resources.h"
#include "platform/screen_picture.h"
#include "platform/sync.h"
#include "platform/ui_script.h"
#include "platform/window_system_lock.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_output.h"
#include "tests/window_system/window_fixture.h"

namespace {

using window_testing::DesktopTest;

HMODULE const kModule = reinterpret_cast<HMODULE>(0x7f0000310000);
constexpr int kSettingsDialog = 100;
constexpr int kMoreDialog = 200;
constexpr int kNameEdit = 101;
constexpr int kMoreButton = 102;

constexpr char kDialogs[] = R"(
100 DIALOG 0, 0, 160, 70
STYLE WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Scan settings"
BEGIN
  EDITTEXT 101, 5, 5, 100, 12
  DEFPUSHBUTTON "Save", IDOK, 5, 30, 40, 14
  PUSHBUTTON "Cancel", IDCANCEL, 50, 30, 40, 14
  PUSHBUTTON "&More...", 102, 95, 30, 50, 14
END
200 DIALOG 20, 20, 100, 40
STYLE WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "More settings"
BEGIN
  PUSHBUTTON "Close", IDOK, 5, 5, 40, 14
END
)";

// What the dialog's handlers saw; reset by each test.
struct Seen {
  sem_t released;
  std::atomic<int> saves{0};
  std::atomic<int> cancels{0};
  std::string text_at_save;
  DWORD save_thread = 0;
  bool host_inside = false;  // the host holds the window-system lock, as inside DS_Entry
  bool clicked_while_host_inside = false;
  bool more_closed = false;
};
Seen* g_seen = nullptr;

INT_PTR MoreProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) EndDialog(dialog, IDOK);
  return message == WM_INITDIALOG || message == WM_COMMAND;
}

// A modal loop of the dialog's own, as a source's Format button would run.
void RunMore(HWND owner) {
  HWND more = CreateDialogParamA(kModule, MAKEINTRESOURCEA(kMoreDialog), owner, MoreProc, 0);
  EnableWindow(owner, FALSE);
  MSG msg;
  while (IsWindow(more) && !platform::DialogEnded(more, nullptr) && GetMessageA(&msg, nullptr, 0, 0) > 0)
    if (!IsDialogMessageA(more, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  // The owner is enabled before the dialog goes, so that activation returns to it.
  EnableWindow(owner, TRUE);
  SetActiveWindow(owner);
  DestroyWindow(more);
  g_seen->more_closed = true;
}

INT_PTR SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: {
      char text[64] = {};
      GetDlgItemTextA(dialog, kNameEdit, text, sizeof text);
      g_seen->text_at_save = text;
      g_seen->save_thread = GetCurrentThreadId();
      g_seen->clicked_while_host_inside = g_seen->host_inside;
      ++g_seen->saves;
      sem_post(&g_seen->released);
      return TRUE;
    }
    case IDCANCEL:
      ++g_seen->cancels;
      sem_post(&g_seen->released);
      return TRUE;
    case kMoreButton:
      RunMore(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

// The host's thread: makes the dialog, then either blocks on the semaphore (no
// loop) or pumps its own messages until a handler has run.
class Host {
 public:
  enum class Kind { kLoopless, kPumping };
  explicit Host(Kind kind) {
    std::atomic<HWND> made{nullptr};
    thread_ = std::thread([this, kind, &made] {
      thread_id_ = GetCurrentThreadId();
      HWND dialog = CreateDialogParamA(kModule, MAKEINTRESOURCEA(kSettingsDialog), nullptr, SettingsProc, 0);
      made = dialog;
      if (kind == Kind::kPumping) {
        woke_ = platform::automation::RunUntil([] { return g_seen->saves + g_seen->cancels > 0; }, 20000);
      } else {
        timespec deadline{};
        clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_sec += 20;
        while (sem_timedwait(&g_seen->released, &deadline) != 0 && errno == EINTR) {
        }
        woke_ = g_seen->saves + g_seen->cancels > 0;
      }
      DestroyWindow(dialog);
    });
    while (!made) std::this_thread::yield();
    dialog_ = made;
  }
  ~Host() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  HWND dialog() const { return dialog_; }
  DWORD thread_id() const { return thread_id_; }
  bool woke() const { return woke_; }

 private:
  std::thread thread_;
  HWND dialog_ = nullptr;
  std::atomic<DWORD> thread_id_{0};
  bool woke_ = false;
};

platform::Picture ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  platform::Picture p;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
  image.format = PNG_FORMAT_RGB;
  p.width = image.width;
  p.height = image.height;
  p.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) p = {};
  return p;
}

class UiScriptTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    std::string error;
    ASSERT_TRUE(platform::RegisterModuleResources(kModule, kDialogs, &error)) << error;
    sem_init(&seen_.released, 0, 0);
    g_seen = &seen_;
  }
  void TearDown() override {
    platform::UnregisterModuleResources(kModule);
    g_seen = nullptr;
    sem_destroy(&seen_.released);
    DesktopTest::TearDown();
  }

  // Runs the script on this thread, which so is the script's thread.
  bool Run(const std::string& script, DWORD timeoutMs = platform::kUiScriptTimeoutMs) {
    dir_.Write("script.txt", script);
    return platform::RunUiScript(dir_.File("script.txt"), timeoutMs);
  }
  // The script's failure report.
  std::string RunFailing(const std::string& script, DWORD timeoutMs = 300) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Run(script, timeoutMs));
    return testing::internal::GetCapturedStderr();
  }

  Seen seen_;
  testing_support::TempDir dir_;
};

TEST_F(UiScriptTest, AHostWithoutALoopIsWokenBySaveThatRunsOnTheScriptsThread) {
  Host host(Host::Kind::kLoopless);
  std::string picture = testing_support::TestOutputPath("ui_script_loopless_host.png");
  ASSERT_TRUE(
      Run("# a person fills in the name and saves\n"
          "wait Scan settings\n"
          "\n"
          "text 101 Frame 7\n"
          "screen " +
          picture +
          "\n"
          "click Save\n"));
  host.Join();
  EXPECT_TRUE(host.woke());
  EXPECT_EQ(seen_.saves, 1);
  EXPECT_EQ(seen_.text_at_save, "Frame 7");
  EXPECT_EQ(seen_.save_thread, GetCurrentThreadId());

  // Nobody else pumps: the picture shows what the script had the dialog paint.
  platform::Picture shot = ReadPng(picture);
  ASSERT_EQ(shot.width, 640u);
  EXPECT_EQ(shot.At(2, 30), GetSysColor(COLOR_BTNFACE));  // inside the dialog's frame
  EXPECT_EQ(shot.At(600, 400), RGB(0, 128, 128));         // the desktop
}

TEST_F(UiScriptTest, KeysGoThroughTheDialogManager) {
  {
    Host host(Host::Kind::kLoopless);
    // Typed into the edit that has the focus; Enter presses the default button.
    ASSERT_TRUE(Run("wait Scan settings\nkey H\nkey i\nkey !\nkey Enter\n"));
    host.Join();
    EXPECT_TRUE(host.woke());
    EXPECT_EQ(seen_.saves, 1);
    EXPECT_EQ(seen_.text_at_save, "Hi!");
  }
  {
    Host host(Host::Kind::kLoopless);
    ASSERT_TRUE(Run("wait Scan settings\nkey Escape\n"));
    host.Join();
    EXPECT_TRUE(host.woke());
    EXPECT_EQ(seen_.cancels, 1);
    EXPECT_EQ(seen_.saves, 1);
  }
}

TEST_F(UiScriptTest, AModalLoopThatALineOpensRunsTheNextLines) {
  Host host(Host::Kind::kLoopless);
  ASSERT_TRUE(Run("wait Scan settings\nclick More...\nwait More settings\nclick Close\nclick Save\n"));
  host.Join();
  EXPECT_TRUE(seen_.more_closed);
  EXPECT_TRUE(host.woke());
  EXPECT_EQ(seen_.saves, 1);
}

TEST_F(UiScriptTest, AHostThatPumpsHandlesTheInputItself) {
  Host host(Host::Kind::kPumping);
  ASSERT_TRUE(Run("wait Scan settings\ntext 101 pumped\nclick Save\n"));
  host.Join();
  EXPECT_TRUE(host.woke());
  EXPECT_EQ(seen_.text_at_save, "pumped");
  EXPECT_EQ(seen_.save_thread, host.thread_id());
}

TEST_F(UiScriptTest, ALineWaitsWhileTheHostHoldsTheLock) {
  Host host(Host::Kind::kLoopless);
  std::atomic<bool> taken{false};
  std::thread inside([&] {
    // As inside DS_Entry, from the host's side, while the script clicks.
    platform::WindowSystemLock lock;
    seen_.host_inside = true;
    taken = true;
    Sleep(200);
    seen_.host_inside = false;
  });
  while (!taken) std::this_thread::yield();
  ASSERT_TRUE(Run("wait Scan settings\nclick Save\n"));
  inside.join();
  host.Join();
  EXPECT_EQ(seen_.saves, 1);
  EXPECT_FALSE(seen_.clicked_while_host_inside);
}

TEST_F(UiScriptTest, ALineThatCannotRunStopsTheScriptWithItsNumber) {
  struct Case {
    const char* script;
    const char* report;
  };
  const Case cases[] = {
      {"sleep 1\nfrobnicate now\nsleep 60000\n", ", line 2: unknown command: frobnicate now"},
      {"sleep soon\n", ", line 1: bad milliseconds: sleep soon"},
      {"# nothing\n\nkey F13\n", ", line 3: unknown key: key F13"},
      {"text x y\n", ", line 1: bad control id: text x y"},
      {"wait\n", ", line 1: a window title is missing: wait"},
      {"sleep 1\nwait Nobody's window\n", ", line 2: no window \"Nobody's window\" after 300 ms: wait Nobody's window"},
  };
  for (const Case& c : cases) EXPECT_NE(RunFailing(c.script).find(c.report), std::string::npos) << c.script;

  Host host(Host::Kind::kLoopless);
  EXPECT_NE(RunFailing("wait Scan settings\nclick Print\n").find(", line 2: no button \"Print\": click Print"),
            std::string::npos);
  EXPECT_NE(RunFailing("wait Scan settings\ntext 7 x\n").find(", line 2: no edit 7: text 7 x"), std::string::npos);
  EXPECT_NE(RunFailing("wait Scan settings\nscreen /nonexistent-dir/x.png\n").find(", line 2: cannot write"),
            std::string::npos);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::RunUiScript(dir_.File("missing.txt")));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("missing.txt: cannot be read"), std::string::npos);
  EXPECT_EQ(seen_.saves + seen_.cancels, 0);
  ASSERT_TRUE(Run("click Cancel\n"));  // the dialog waited for last
  host.Join();
}

}  // namespace
