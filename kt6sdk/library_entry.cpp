#include "kt6sdk/library_entry.h"

#include "kt6sdk/decimation.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/interrupt_sources.h"
#include "kt6sdk/interrupt_thread.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_inputs.h"
#include "kt6sdk/lines.h"
#include "kt6sdk/strobe.h"

namespace kt6 {

BOOL LibraryAttach() {
  InstallCaptureDeferredOperations();
  InstallStrobeDeferredOperations();
  InstallInputDeferredOperations();
  AttachDriverLink();
  return TRUE;
}

void LibraryDetach() {
  KT6Close();
  JoinStoppedInterruptThread();
  ResetInterruptSources();
  ClearCaptureEvents();
  ForgetLineSources();
  DetachDriverLink();
  ResetLibraryState();
}

}  // namespace kt6
