#include "kt6sdk/decimation.h"

#include <mutex>

#include "kt6sdk/control_devices.h"
#include "kt6sdk/kt6_error_codes.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/serial_bus_owner.h"

namespace kt6 {
namespace {

using namespace decimation;

using capturectrl::kCaptureOn;
using capturectrl::kGateOn;
constexpr std::uint8_t kCtrlCapture = capturectrl::kRegister;
constexpr std::uint8_t kCtrlCaptureGate = capturectrl::kGateRegister;

// The video port's decimation register is read, checked and written by callers and
// the interrupt thread: one at a time, so that a freeze is never undone by a store
// that read the register before it.
std::mutex g_registerLock;

bool BoardControlType() { return g_state.board_type >= 3; }

// Types 3 to 5 switch capture with two board-control registers, written under one
// hold of the bus so that a freeze and a resume never interleave.
void SwitchCapture(DeferredOperation operation, bool on) {
  if (!AcquireOrDefer(operation)) return;
  std::uint8_t gate = g_state.control19.load();
  if (on) {
    KT6SetCtrlReg(kCtrlCaptureGate, gate | kGateOn);
    KT6ModifyCtrlReg(kCtrlCapture, 0xFF, kCaptureOn);
  } else {
    KT6ModifyCtrlReg(kCtrlCapture, static_cast<std::uint8_t>(~kCaptureOn), 0);
    KT6SetCtrlReg(kCtrlCaptureGate, gate);
  }
  ReleaseSerialBus();
}

void Resume() {
  if (BoardControlType()) return SwitchCapture(DeferredOperation::kResumeCapture, true);
  std::lock_guard lock(g_registerLock);
  KT6MMIOWrite32Raw(kRegister, g_state.stored_decimation.load());
}

void Freeze() {
  if (BoardControlType()) return SwitchCapture(DeferredOperation::kFreezeCapture, false);
  std::lock_guard lock(g_registerLock);
  KT6MMIOWrite32Raw(kRegister, kFreeze);
}

}  // namespace

void SetHDecimation(std::uint32_t value) {
  if (value == kResume) return Resume();
  if (value == kFreeze) return Freeze();
  std::lock_guard lock(g_registerLock);
  g_state.stored_decimation = value;
  // A frozen capture stays frozen.
  if (KT6MMIORead32Raw(kRegister) != kFreeze) KT6MMIOWrite32Raw(kRegister, value);
}

std::uint32_t KT6GetHDecimation() {
  if (!BoardControlType()) return KT6MMIORead32Raw(kRegister);
  return (KT6GetCtrlReg(kCtrlCapture) & kCaptureOn) ? g_state.stored_decimation.load() : kFreeze;
}

void InstallCaptureDeferredOperations() {
  SetDeferredOperation(DeferredOperation::kResumeCapture, Resume);
  SetDeferredOperation(DeferredOperation::kFreezeCapture, Freeze);
}

}  // namespace kt6

std::int32_t KT6SetHDecimation(std::uint32_t value) {
  if (!kt6::g_state.initialised.load()) return KT6_ERR_GENERAL;
  kt6::SetHDecimation(value);
  return KT6_OK;
}
