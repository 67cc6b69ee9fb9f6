#include "kt6sdk/input_switch.h"

#include <thread>

#include "kt6sdk/board_word.h"
#include "kt6sdk/decoder2.h"
#include "kt6sdk/front_end.h"
#include "kt6sdk/input_paths.h"
#include "kt6sdk/input_registers.h"
#include "kt6sdk/kt6_registers.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/waits.h"
#include "platform/clock.h"

namespace kt6 {
namespace {

// Polls `signal` until it reports one or the channel-switch time-out has passed.
template <typename Signal>
std::int32_t PollSignal(Signal signal) {
  DWORD start = GetTickCount();
  auto limit = static_cast<DWORD>(g_state.settings.switch_channel_timeout);
  for (;;) {
    if (signal()) return KT6_OK;
    if (GetTickCount() - start >= limit) return KT6_ERR_TIMEOUT;
    std::this_thread::yield();
  }
}

void SetHold(bool on) {
  std::uint8_t control = KT6GetSAA7110Reg(saa7110::kControlRegister);
  KT6SetSAA7110Reg(saa7110::kControlRegister, on ? control | input::kSaa7110SwitchHold
                                                 : control & static_cast<std::uint8_t>(~input::kSaa7110SwitchHold));
}

}  // namespace

std::int32_t WaitForSAA7110Signal() {
  if (g_state.revision < input::kGpioHoldRevision) g_state.gpio_shadow.fetch_or(mmio::kGpioOutput);
  return PollSignal([] { return (KT6ReadGPIO() & mmio::kGpioField) != 0; });
}

std::int32_t WaitForDecoder2Signal() {
  return PollSignal([] { return !(KT6ReadDecoder2Reg(decoder2::kStatus) & input::kDecoder2NoSignal); });
}

std::int32_t SwitchFrontEndInput(std::uint8_t channel) {
  KT6SetFrontEndControl(frontend::kChannel, channel);
  WaitForVSync();
  return WaitForVSync();
}

std::int32_t SwitchDecoderInput(std::uint8_t channel) {
  SetHold(true);
  KT6SetSAA7110Reg(input::kSaa7110SwitchRegister, input::kSaa7110SwitchOn);
  WaitForVSync();
  if (InputBoardWord() & saa7110::kSecondWiring) KT6SetFrontEndControl(frontend::kChannel, channel);
  KT6SetSAA7110Control(saa7110control::kChannel, channel);
  WaitForVSync();
  KT6SetSAA7110Reg(input::kSaa7110SwitchRegister, input::kSaa7110SwitchOff);
  std::int32_t result = WaitForSAA7110Signal();
  SetHold(false);
  return result;
}

std::int32_t SwitchDecoder2Input(std::uint8_t channel) {
  KT6SetDecoder2Control(decoder2::kChannel, channel);
  WaitForVSync();
  WaitForVSync();
  std::int32_t result = WaitForDecoder2Signal();
  WaitForVSync();
  return result;
}

}  // namespace kt6
