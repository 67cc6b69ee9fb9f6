// The input switches of the decoders and the front end, which the channel
// selection and the camera detection share. Each returns 0 when the new input
// shows a signal, -35 when not (the input stays selected either way).
#pragma once

#include <cstdint>

namespace kt6 {

std::int32_t SwitchFrontEndInput(std::uint8_t channel);
// The SAA7110's outputs held while it changes input; on the second wiring the
// front end's multiplexer follows.
std::int32_t SwitchDecoderInput(std::uint8_t channel);
std::int32_t SwitchDecoder2Input(std::uint8_t channel);

// Polls for the decoder's signal until the channel-switch time-out.
std::int32_t WaitForSAA7110Signal();
std::int32_t WaitForDecoder2Signal();

// The camera interface's input select alone, its levels and the configuration
// left as they are; the result of the second of two vertical-sync waits.
std::int32_t SelectInterfaceInput(std::uint8_t channel);

// The camera interface's levels as the board configuration holds them: the selected
// input's, or both level sets' (only the selected set reaching the DACs).
void ApplyConfiguredLevels();
// KT6SetChannel's switch; `even` switches to the channel the record already names
// (the init's form: the device may not be on it yet).
std::int32_t SelectChannel(std::uint8_t channel, bool even);

}  // namespace kt6
