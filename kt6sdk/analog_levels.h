// The analog camera interface's reference DACs (board types 4 and 5): the top,
// bottom and clamp references of each input (one set, inputs 0 to 3) or of each
// level set and part (two sets, inputs 6 and 7), set directly or from a gain in dB
// and an offset value, and kept in the board configuration with the level mode.
// `parts` is a mask of parts 1 and 2; a getter names one part.
#pragma once

#include <cstdint>

namespace kt6 {

constexpr std::uint8_t kLevelPart1 = 1;
constexpr std::uint8_t kLevelPart2 = 2;

std::int32_t SetADTopBottom(std::uint8_t input, std::uint8_t parts, std::uint8_t top, std::uint8_t bottom,
                            std::uint8_t clamp);
std::int32_t GetADTopBottom(std::uint8_t input, std::uint8_t part, std::uint8_t* top, std::uint8_t* bottom,
                            std::uint8_t* clamp);
std::int32_t SetADGain(std::uint8_t input, std::uint8_t parts, float gainDb);
std::int32_t GetADGain(std::uint8_t input, std::uint8_t part, float* gainDb);
std::int32_t SetADOffset(std::uint8_t input, std::uint8_t parts, std::uint8_t value);
std::int32_t GetADOffset(std::uint8_t input, std::uint8_t part, std::uint8_t* value);

// The DAC codes of a gain and of an offset value, within 0 to 255.
std::uint8_t ADGainLevel(float low, float high, float span, std::uint8_t bottom, float gainDb);
std::uint8_t ADOffsetLevel(float low, float high, float mid, std::uint8_t value, int min, int max);

}  // namespace kt6
