// Example: the Format dialog of the data sources on the default virtual PC, as a
// person would use it. A scripted user picks grey scale, moves the hue slider and
// types a window width too wide for the frame; the screen is then written as
// format_dialog.png in the current directory, OK is pressed, and the settings the
// dialog left (and the change codes its parent window received) are printed.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "examples/dialog_example_support.h"
#include "platform/afx/application.h"
#include "platform/afx/window.h"
#include "platform/automation.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/screen_picture.h"
#include "sim/machine.h"
#include "twain_ds/build_descriptor.h"
#include "twain_ds/format_dialog.h"
#include "twain_ds/format_dialog_ids.h"
#include "twain_ds/format_settings.h"
#include "twain_ds/resource_scripts.h"

namespace {

std::vector<WPARAM> g_codes;

LRESULT RecordChanges(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) g_codes.push_back(wParam);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void WhenFormatIsActive(platform::automation::StepAction action) {
  platform::automation::AddStep("Format", nullptr, platform::automation::StepWhen::kActive, std::move(action));
}

}  // namespace

int main() {
  examples::PowerOnWithOwnWindowsDirectory("format_dialog_example");
  CWinApp app;
  HINSTANCE module = AfxGetInstanceHandle();
  if (!examples::RegisterScript(module, twain_ds::kFormatDialogScript)) return 1;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RecordChanges;
  windowClass.hInstance = module;
  windowClass.lpszClassName = "FormatExampleParent";
  RegisterClassA(&windowClass);
  CWnd parent;
  parent.Attach(CreateWindowExA(0, windowClass.lpszClassName, "Input", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 320,
                                240, nullptr, nullptr, module, nullptr));

  twain_ds::CFormatSettings settings(twain_ds::kRg7Ntc);
  settings.Load(0);
  settings.ClampWindowSize(0, 0);

  bool written = false;
  WhenFormatIsActive(
      [](HWND dialog) { platform::automation::Select(GetDlgItem(dialog, twain_ds::IDC_FORMAT_IMAGE_FORMAT), 0); });
  WhenFormatIsActive(
      [](HWND dialog) { platform::automation::MoveSlider(GetDlgItem(dialog, twain_ds::IDC_FORMAT_HUE_SLIDER), 40); });
  WhenFormatIsActive(
      [](HWND dialog) { platform::automation::SetText(GetDlgItem(dialog, twain_ds::IDC_FORMAT_WIDTH), "5000"); });
  WhenFormatIsActive([&written](HWND) { written = platform::WritePng(platform::RenderScreen(), "format_dialog.png"); });
  WhenFormatIsActive([](HWND dialog) { platform::automation::Click(GetDlgItem(dialog, IDOK)); });
  twain_ds::CFormatDlg dialog(settings, &parent);
  int result = dialog.DoModal();

  std::printf("Format dialog ended with %d; screen %s format_dialog.png\n", result,
              written ? "written as" : "NOT written as");
  std::printf("  colour %d, hue %d, window %d x %d at %d,%d\n", settings.color, settings.hue, settings.window_width,
              settings.window_height, settings.offset_x, settings.offset_y);
  std::printf("  change codes posted to the main dialog:");
  for (WPARAM code : g_codes) std::printf(" %zu", static_cast<std::size_t>(code));
  std::printf("\n");

  DestroyWindow(parent.Detach());
  UnregisterClassA(windowClass.lpszClassName, module);
  platform::UnregisterModuleResources(module);
  sim::PowerOff();
  return written && result == IDOK ? 0 : 1;
}
