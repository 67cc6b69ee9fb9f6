// Which device of the board's input path serves a video-input call: the board type
// and the configuration word decide between the SAA7110, the second decoder, the
// analog front end and the camera interface's reference DACs. Each device path is
// an operations table; the calls choose a path and go through its table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt6 {

enum class InputPath { kNone, kFrontEnd, kDecoder, kDecoder2 };

// The camera interface of board types 4 and 5.
enum class CameraInterface { kNone, kOneSet, kTwoSets };

struct InputPathOps {
  std::int32_t (*set)(std::uint16_t control, std::uint8_t value);
  std::int32_t (*get)(std::uint16_t control, std::uint8_t* out);
  // The configuration byte of the channel whose gain and levels the device uses.
  std::size_t channel_field;
  // The device's switch to another input; 0, or -35 when no signal follows.
  std::int32_t (*switch_input)(std::uint8_t channel);
};

std::uint32_t InputBoardWord();
std::uint16_t InputBoardType();

// The SAA7110 or the second decoder, or none.
InputPath DecoderPath();
// The front end when the word routes the input through it, else DecoderPath().
InputPath ControlPath();
CameraInterface CameraInterfaceOf();
// Null for kNone.
const InputPathOps* OpsOf(InputPath path);

constexpr std::uint8_t kCurrentChannel = 4;
constexpr std::uint8_t kSVideoChannel = 5;
constexpr std::uint8_t kLevelSetInput0 = 6;  // the two level sets' inputs
constexpr std::uint8_t kLevelSetInput1 = 7;
constexpr std::uint8_t kCameraInputs = 4;  // of the one-set camera interface

// The channel rules of the calls: 6 and 7 with two level sets; 0 to 3 on the
// one-set camera interface where `oneSetInputs`; else 2, 3 and 5 with the S-Video
// cable, 0 to 3 without.
bool ValidChannel(std::uint8_t channel, bool oneSetInputs);
// The channel now selected; 0 where no path reports one.
std::uint8_t CurrentChannel();

// A configuration byte, changed as the interrupt thread may read it.
std::uint8_t ConfigByte(std::size_t offset);
void SetConfigByte(std::size_t offset, std::uint8_t value);

// Runs `write` on the front end with capture held off in the decimation register
// from one frame end to the next.
void GuardedFrontEndWrite(void (*write)(const void* context), const void* context);

}  // namespace kt6
