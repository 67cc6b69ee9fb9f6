// Example: the Source dialog of the 700-series data sources on the default
// virtual PC, as a person would use it. A scripted user picks PAL and the
// composite input, switches the strobe off and types a delay that is no number;
// the screen is then written as source_dialog.png in the current directory, OK is
// pressed, and the settings the dialog left are printed.
#include <cstdio>
#include <filesystem>
#include <string>

#include "examples/dialog_example_support.h"
#include "platform/afx/application.h"
#include "platform/afx/window.h"
#include "platform/automation.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/screen_picture.h"
#include "sim/machine.h"
#include "twain_ds/build_descriptor.h"
#include "twain_ds/resource_scripts.h"
#include "twain_ds/source_dialog.h"
#include "twain_ds/source_dialog_ids.h"
#include "twain_ds/source_settings.h"

namespace {

void WhenSourceIsActive(platform::automation::StepAction action) {
  platform::automation::AddStep("Source", nullptr, platform::automation::StepWhen::kActive, std::move(action));
}

}  // namespace

int main() {
  examples::PowerOnWithOwnWindowsDirectory("source_dialog_example");
  CWinApp app;
  HINSTANCE module = AfxGetInstanceHandle();
  if (!examples::RegisterScript(module, twain_ds::kRg7SourceDialogScript)) return 1;
  CWnd parent;
  parent.Attach(CreateWindowExA(0, WC_STATICA, "Input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 320, 240, nullptr,
                                nullptr, module, nullptr));

  twain_ds::CSourceSettings settings(twain_ds::kRg7Ntc);
  settings.Load();

  bool written = false;
  WhenSourceIsActive([](HWND dialog) {
    platform::automation::Click(GetDlgItem(dialog, twain_ds::IDC_SOURCE_PAL));
    platform::automation::Click(GetDlgItem(dialog, twain_ds::IDC_SOURCE_COMPOSITE));
    platform::automation::Check(GetDlgItem(dialog, twain_ds::IDC_SOURCE_STROBE_ON), false);
    platform::automation::SetText(GetDlgItem(dialog, twain_ds::IDC_SOURCE_STROBE_DELAY), "abc");
  });
  WhenSourceIsActive([&written](HWND) { written = platform::WritePng(platform::RenderScreen(), "source_dialog.png"); });
  WhenSourceIsActive([](HWND dialog) { platform::automation::Click(GetDlgItem(dialog, IDOK)); });
  twain_ds::CSourceDlg dialog(settings, &parent);
  int result = dialog.DoModal();

  std::printf("Source dialog ended with %d; screen %s source_dialog.png\n", result,
              written ? "written as" : "NOT written as");
  std::printf("  standard %d (%s), input %s, connector %d, VCR %s\n", settings.tv_standard,
              settings.IsNtsc() ? "NTSC" : "PAL", settings.input_format == 0 ? "composite" : "S-Video",
              settings.connector + 1, settings.vcr_mode ? "on" : "off");
  std::printf("  strobe %s, delay %d, width %d\n", settings.strobe_on ? "on" : "off", settings.strobe_delay,
              settings.strobe_width);

  DestroyWindow(parent.Detach());
  platform::UnregisterModuleResources(module);
  sim::PowerOff();
  return written && result == IDOK ? 0 : 1;
}
