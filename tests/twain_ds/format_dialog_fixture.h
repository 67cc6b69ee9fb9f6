// Runs the Format dialog as the main dialog does (modal, over a parent that
// receives its change codes) and drives it with scripted user steps.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/automation.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "sim/machine.h"
#include "tests/twain_ds/settings_fixture.h"
#include "twain_ds/format_dialog.h"
#include "twain_ds/resource_scripts.h"

namespace twain_ds_test {

class FormatDialogFixture : public SettingsFixture {
 protected:
  using Step = std::function<void(HWND dialog)>;

  FormatDialogFixture() {
    sim::PowerOn();
    platform::RegisterModuleResources(AfxGetInstanceHandle(), twain_ds::kFormatDialogScript);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordChanges;
    windowClass.hInstance = AfxGetInstanceHandle();
    windowClass.lpszClassName = kParentClass;
    RegisterClassA(&windowClass);
    parent_.Attach(CreateWindowExA(0, kParentClass, "Input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                   nullptr, AfxGetInstanceHandle(), nullptr));
    Codes().clear();
    platform::ClearMessageBoxLog();
  }

  ~FormatDialogFixture() override {
    platform::automation::ClearSteps();
    DestroyWindow(parent_.Detach());
    UnregisterClassA(kParentClass, AfxGetInstanceHandle());
    platform::UnregisterModuleResources(AfxGetInstanceHandle());
    sim::PowerOff();
  }

  // Each step runs once the dialog is idle again after the step before; a last
  // step presses `closer` (Exit unless said otherwise). Returns DoModal's result.
  int RunDialog(twain_ds::CFormatSettings& settings, const std::vector<Step>& steps, int closer = IDCANCEL) {
    for (const Step& step : steps) AddDialogStep(step);
    AddDialogStep([closer](HWND dialog) { platform::automation::Click(GetDlgItem(dialog, closer)); });
    twain_ds::CFormatDlg dialog(settings, &parent_);
    return dialog.DoModal();
  }

  // Settings as the main dialog hands them over: loaded and clamped.
  static twain_ds::CFormatSettings Loaded(const twain_ds::BuildDescriptor& build, int width = 0, int height = 0) {
    twain_ds::CFormatSettings settings(build);
    settings.Load(build.rules->ntsc_standard);
    settings.window_width = width;
    settings.window_height = height;
    settings.ClampWindowSize(0, 0);
    return settings;
  }

  static std::vector<WPARAM>& Codes() {
    static std::vector<WPARAM> codes;
    return codes;
  }

  static int SliderPos(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0));
  }

  CWnd parent_;

 private:
  static constexpr char kParentClass[] = "FormatDialogTestParent";

  static LRESULT RecordChanges(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) Codes().push_back(wParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  static void AddDialogStep(const Step& step) {
    platform::automation::AddStep("Format", nullptr, platform::automation::StepWhen::kActive, step);
  }
};

}  // namespace twain_ds_test
