// The open source enabled with its main dialog, driven as a user would drive it,
// with the application's message loop passing every message through
// MSG_PROCESSEVENT. Notifications reach a source manager of the test's own that
// answers them inside the source's call.
#pragma once

#include <dlfcn.h>

#include <functional>
#include <vector>

#include "platform/automation.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/module_loader.h"
#include "tests/twain_ds/open_source_fixture.h"
#include "twain_ds/input_dialog_ids.h"
#include "twain_ds/twain_state.h"

namespace twain_ds_test {

class InputDialogTest : public OpenSourceFixture {
 protected:
  InputDialogTest() {
    for (const char* script : {twain_ds::kInputDialogScript, twain_ds::kFormatDialogScript,
                               twain_ds::kRg7SourceDialogScript, twain_ds::kRg7CameraDialogScript})
      platform::RegisterModuleResources(app_.m_hInstance, script);
    manager_ = ::dlopen(NOTIFY_MANAGER_PATH, RTLD_NOW | RTLD_LOCAL);
    auto setHandler = reinterpret_cast<void (*)(void (*)(TW_UINT16))>(
        manager_ ? ::dlsym(manager_, "SetNotificationHandler") : nullptr);
    if (setHandler) setHandler(&Received);
    platform::RegisterSourceManager(manager_);
    Notifications().clear();
    OnNotification() = nullptr;
    // The camera of the test machine is on the first composite input.
    WriteSettings("");
    parent_ = CreateWindowExA(0, "Static", "Application", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
  }
  ~InputDialogTest() override {
    platform::automation::ClearSteps();
    if (twain_ds::g_state != twain_ds::TwainState::kLoaded) Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr);
    OnNotification() = nullptr;
    platform::RegisterSourceManager(nullptr);
    if (manager_) ::dlclose(manager_);
    DestroyWindow(parent_);
  }

  static std::vector<TW_UINT16>& Notifications() {
    static std::vector<TW_UINT16> received;
    return received;
  }
  // What the application does inside a notification.
  static std::function<void(TW_UINT16)>& OnNotification() {
    static std::function<void(TW_UINT16)> action;
    return action;
  }

  // The settings file: the composite input and what the test adds.
  void WriteSettings(const std::string& more) {
    windows_.Write(app_.m_pszProfileName, "[Source]\r\nInputFormat=0\r\n" + more);
  }
  TW_UINT16 OpenAndEnable(bool showUi = true) {
    TW_UINT16 rc = Open();
    return rc == TWRC_SUCCESS ? Enable(showUi) : rc;
  }
  TW_UINT16 Enable(bool showUi) {
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUi), FALSE, parent_};
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
  }
  TW_UINT16 Disable(bool showUi) {
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUi), FALSE, parent_};
    return Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
  }
  static HWND Dialog() { return twain_ds::GetMainDialogWindow(); }
  static HWND Item(int id) { return GetDlgItem(Dialog(), id); }

  // The application's loop: the source sees every message first.
  void Pump(DWORD milliseconds = 0) {
    platform::automation::PreTranslateFilter filter = [this](MSG* msg) {
      TW_EVENT event{msg, MSG_NULL};
      return Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT;
    };
    if (milliseconds)
      platform::automation::RunFor(milliseconds, filter);
    else
      platform::automation::RunUntilIdle(filter);
  }
  // Runs the loop until `done` holds (a loaded machine may take its time); false
  // when it still does not after `timeoutMs`.
  template <class Condition>
  bool PumpUntil(Condition done, DWORD timeoutMs = 5000) {
    DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > timeoutMs) return false;
      Pump(20);
    }
    return true;
  }
  void Click(int id) {
    ASSERT_TRUE(platform::automation::Click(Item(id))) << "control " << id;
    Pump();
  }
  // Runs `step` once the modal dialog with this title is active.
  static void WhenActive(const char* title, platform::automation::StepAction step) {
    platform::automation::AddStep(title, nullptr, platform::automation::StepWhen::kActive, std::move(step));
  }
  static RECT ScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
  }

  void* manager_ = nullptr;
  HWND parent_ = nullptr;

 private:
  static void Received(TW_UINT16 message) {
    Notifications().push_back(message);
    if (OnNotification()) OnNotification()(message);
  }
};

}  // namespace twain_ds_test
