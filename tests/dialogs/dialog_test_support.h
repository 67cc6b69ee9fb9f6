// A dialog built from a script under a made-up module handle, with a dialog
// procedure that records what the dialog is told.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/dialogs.h"
#include "platform/resources.h"

namespace dialog_test {

inline HMODULE const kModule = reinterpret_cast<HMODULE>(0x7f0000200000);

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Received&) const = default;
};

inline std::vector<Received>* g_received = nullptr;
inline INT_PTR g_initResult = TRUE;

inline INT_PTR RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return g_initResult;
  if ((message == WM_COMMAND || message == WM_HSCROLL) && g_received)
    g_received->push_back(Received{message, wParam, lParam});
  return message == WM_COMMAND;
}

inline Received Command(HWND dialog, int id, WORD code) {
  return Received{WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code),
                  reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))};
}
inline Received Scroll(HWND dialog, int id, WORD code) {
  return Received{WM_HSCROLL, code, reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))};
}

class DialogTest : public ::testing::Test {
 protected:
  void Open(const char* script, int id) {
    std::string error;
    ASSERT_TRUE(platform::RegisterModuleResources(kModule, script, &error)) << error;
    g_received = &received_;
    dialog_ = CreateDialogParamA(kModule, MAKEINTRESOURCEA(static_cast<WORD>(id)), nullptr, RecordingProc, 0);
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
    platform::UnregisterModuleResources(kModule);
    g_received = nullptr;
    g_initResult = TRUE;
  }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  // A key as the message loop would hand it to the dialog manager.
  void Key(UINT message, WPARAM key) {
    MSG msg{GetFocus(), message, key, 0, 0, {}};
    IsDialogMessageA(dialog_, &msg);
  }
  void Press(WPARAM key) {
    Key(WM_KEYDOWN, key);
    Key(WM_KEYUP, key);
  }
  void PumpPosted() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  std::vector<Received> TakeReceived() { return std::exchange(received_, {}); }

  HWND dialog_ = nullptr;
  std::vector<Received> received_;
};

}  // namespace dialog_test
