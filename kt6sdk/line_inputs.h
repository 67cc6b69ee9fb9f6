// The trigger, event and other-event inputs: the set-up words the exports take and
// store, the checks they share, and what the init and the deferred work call.
#pragma once

#include <cstdint>

namespace kt6 {

// The trigger set-up word. Alternatives come in pairs; where neither is given the
// library adds the default, so that the stored word names each choice.
namespace triggersetup {
constexpr std::uint16_t kPolarityNormal = 0x0001;  // default
constexpr std::uint16_t kPolarityInverted = 0x0002;
// Presets of the trigger's mode.
constexpr std::uint16_t kModeStart = 0x0004;  // each trigger starts a grab
constexpr std::uint16_t kModeGated = 0x0008;  // the grab is gated by the field
constexpr std::uint16_t kModeNonInterlaced = 0x0100;
// The grab continues while the trigger is active / does not (default).
constexpr std::uint16_t kContinue = 0x0010;
constexpr std::uint16_t kOnce = 0x0200;
// The grab stops on the trigger / does not (default).
constexpr std::uint16_t kStop = 0x0020;
constexpr std::uint16_t kNoStop = 0x0400;
// The control level: 1 / 0 (default).
constexpr std::uint16_t kLevel1 = 0x0040;
constexpr std::uint16_t kLevel0 = 0x0080;
// The source of the trigger on board types 3 to 5.
constexpr std::uint16_t kSource1000 = 0x1000;  // default
constexpr std::uint16_t kSource2000 = 0x2000;
constexpr std::uint16_t kSource4000 = 0x4000;
// Skip the already-enabled test; never stored.
constexpr std::uint16_t kForce = 0x8000;
}  // namespace triggersetup

// The event set-up word, also the set-up byte of an other event. The stored word
// always names the polarity, so that an enabled event never stores 0.
namespace eventsetup {
constexpr std::uint16_t kPolarityNormal = 0x0001;    // default
constexpr std::uint16_t kPolarityInverted = 0x0002;  // sets the line's polarity bit
constexpr std::uint16_t kPolarityBits = kPolarityNormal | kPolarityInverted;
constexpr std::uint16_t kForce = 0x8000;
}  // namespace eventsetup

// What an export needs before it does anything: an open board, or an initialised
// one; and the lowest board type that has it (the inputs need 1, channels and
// other events 3). -1 or -37 when it is not there, else 0.
enum class InputNeeds { kOpen, kInit };
std::int32_t CheckInputBoard(InputNeeds needs, std::uint16_t lowestType);
bool ControlDeviceInputs();  // board types 3 to 5; else the control port of 1 and 2

// The stored set-up words (board configuration offsets 198 and 200); 0 while the
// input is disabled. The trigger's is kept in step with the handler's copy.
std::uint16_t StoredTriggerSetup();
void StoreTriggerSetup(std::uint16_t setup);
std::uint16_t StoredEventSetup();
void StoreEventSetup(std::uint16_t setup);

// A user lets its line sources go: what no other user still holds leaves the
// internal sources and the enable byte. The user forgets its own sources first.
void ReleaseLineSources(std::uint16_t sources);
// The polarity bit of a line of board types 3 to 5 (board-control register 8), set
// or cleared.
std::uint8_t LinePolarityBit(std::uint8_t line);
void SetLinePolarity(std::uint8_t line, bool inverted);
// A polarity bit of register 8 (a line's or the trigger's) flipped and restored:
// one of the two changes is an active edge, a pulse of the input by software.
void PulseInputPolarity(std::uint8_t bit);
// The line of an event source (0x2000 >> line).
std::uint8_t LineOfSource(std::uint16_t source);

// The reset calls that found the serial bus taken run from the deferred work.
void InstallInputDeferredOperations();
// What KT6Init does with the inputs: the trigger and event channels of board types
// 4 and 5 (forced), and the trigger and event its record asks for (a negative
// set-up word: enabled with it, without a callback).
void SetInputChannels();
void ArmInputs();

}  // namespace kt6
