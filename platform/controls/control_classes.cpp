// Registration of the standard control classes and the dialog class: global
// classes of no module, so that every module's windows and templates find them.
#include "platform/controls/control_support.h"
#include "platform/dialog_info.h"
#include "platform/dialogs.h"

namespace platform {

void RegisterControlClasses() {
  struct SystemClass {
    const char* name;
    WNDPROC proc;
    int extra;
    HBRUSH background;
  };
  const SystemClass classes[] = {
      {WC_BUTTONA, controls::ButtonProc, controls::kStateBytes, nullptr},
      {WC_EDITA, controls::EditProc, controls::kStateBytes, nullptr},
      {WC_STATICA, controls::StaticProc, 0, nullptr},
      {WC_COMBOBOXA, controls::ComboBoxProc, controls::kStateBytes, nullptr},
      {TRACKBAR_CLASSA, controls::TrackbarProc, controls::kStateBytes, nullptr},
      {WC_SCROLLBARA, controls::ScrollBarProc, controls::kStateBytes, nullptr},
      {WC_DIALOGA, DefDlgProcA, kDialogInfoOffset + kDialogInfoBytes, GetSysColorBrush(COLOR_BTNFACE)},
  };
  for (const SystemClass& c : classes) {
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = c.proc;
    wc.cbWndExtra = c.extra;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = c.background;
    wc.lpszClassName = c.name;
    RegisterClassA(&wc);
  }
}

}  // namespace platform
