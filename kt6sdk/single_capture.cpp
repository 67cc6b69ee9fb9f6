// One frame captured on request: the interrupt handler resumes capture at the field
// the grab window asks for and freezes it again after the frame.
#include "kt6sdk/interrupt_handler.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"

std::int32_t KT6SingleCapture(KT6NotifyCallback callback) {
  if (!kt6::g_state.initialised.load()) return KT6_ERR_GENERAL;
  kt6::ArmSingleCapture(callback);
  return KT6_OK;
}

std::int32_t KT6IsCaptureDone() {
  if (!kt6::g_state.initialised.load()) return KT6_ERR_GENERAL;
  if (kt6::g_events.single_capture_pending.load()) return 0;
  return static_cast<std::int32_t>(kt6::g_events.capture_result.load());
}
