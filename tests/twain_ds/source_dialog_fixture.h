// Runs the Source dialog as the main dialog does (modal, over a parent window,
// from the resources the series' data source registers) and drives it with
// scripted user steps.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/automation.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/resources.h"
#include "sim/machine.h"
#include "tests/twain_ds/settings_fixture.h"
#include "twain_ds/resource_scripts.h"
#include "twain_ds/source_dialog.h"

namespace twain_ds_test {

class SourceDialogFixture : public SettingsFixture {
 protected:
  using Step = std::function<void(HWND dialog)>;

  SourceDialogFixture() {
    sim::PowerOn();
    parent_.Attach(CreateWindowExA(0, WC_STATICA, "Input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                   nullptr, AfxGetInstanceHandle(), nullptr));
  }

  ~SourceDialogFixture() override {
    platform::automation::ClearSteps();
    DestroyWindow(parent_.Detach());
    platform::UnregisterModuleResources(AfxGetInstanceHandle());
    sim::PowerOff();
  }

  // Registers the resources of the record's build, then runs the steps, each once
  // the dialog is idle again after the step before; a last step presses `closer`.
  // Returns DoModal's result.
  int RunDialog(twain_ds::CSourceSettings& settings, const std::vector<Step>& steps, int closer = IDCANCEL) {
    platform::UnregisterModuleResources(AfxGetInstanceHandle());
    EXPECT_TRUE(twain_ds::RegisterDataSourceResources(AfxGetInstanceHandle(), settings.build()));
    for (const Step& step : steps) AddDialogStep(step);
    AddDialogStep([closer](HWND dialog) { platform::automation::Click(GetDlgItem(dialog, closer)); });
    twain_ds::CSourceDlg dialog(settings, &parent_);
    return dialog.DoModal();
  }

  static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
  static std::string Text(HWND dialog, int id) {
    char text[32] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
  }

  CWnd parent_;

 private:
  static void AddDialogStep(const Step& step) {
    platform::automation::AddStep("Source", nullptr, platform::automation::StepWhen::kActive, step);
  }
};

}  // namespace twain_ds_test
