// The second video decoder of board types 3 to 5, on the serial bus at 0x42. Its
// registers lie in three banks; the board configuration keeps a shadow of each bank
// register and the settings of the numbered video controls 50-59. Its transactions
// hold the bus in the serial-bus word (not the driver's section), so that the
// interrupt thread defers its line and capture work until they end.
#pragma once

#include <cstdint>

#include "kt6sdk/video_controls.h"

namespace kt6 {

namespace decoder2 {
constexpr std::uint8_t kAddress = 0x42;
constexpr std::uint8_t kReadAddress = 0x43;

// The banks, first and last register, and where each starts in the shadow.
struct Bank {
  std::uint8_t first;
  std::uint8_t last;
  std::uint8_t shadow;
};
constexpr Bank kBanks[] = {{0x00, 0x19, 0}, {0x40, 0x5E, 26}, {0x80, 0xEF, 57}};
constexpr std::uint8_t kShadowBytes = 169;

// Read from the chip, never from the shadow.
constexpr std::uint8_t kVersion = 0x00;
constexpr std::uint8_t kStatus = 0x1F;
constexpr std::uint8_t kSignalMask = 0xC0;
constexpr std::uint8_t kSignalLocked = 0x80;

constexpr std::uint8_t kInputSelect = 0x02;  // low nibble: the input mode
constexpr std::uint8_t kInputModeMask = 0x0F;
constexpr std::uint8_t kGainControl = 0x03;
constexpr std::uint8_t kAgcOn = 0x04;
constexpr std::uint8_t kGainRangeA = 0x01;  // inputs 0 and 3
constexpr std::uint8_t kGainRangeB = 0x02;  // the others
constexpr std::uint8_t kGainA = 0x04;
constexpr std::uint8_t kGainB = 0x05;
constexpr std::uint8_t kVideoMode = 0x08;
constexpr std::uint8_t kVcrKeep = 0xE7;
constexpr std::uint8_t kVcrOn = 0x08;
constexpr std::uint8_t kVcrOff = 0x18;
constexpr std::uint8_t kLines525 = 0x40;
constexpr std::uint8_t kInputForm = 0x09;
constexpr std::uint8_t kLumaChroma = 0x80;  // inputs 3 and 5
constexpr std::uint8_t kBrightness = 0x0A;
constexpr std::uint8_t kContrast = 0x0B;
constexpr std::uint8_t kSaturation = 0x0C;
constexpr std::uint8_t kHue = 0x0D;
// The scaler takes its window registers while held and applies them on release.
constexpr std::uint8_t kScalerControl = 0x88;
constexpr std::uint8_t kScalerHold = 0x00;
constexpr std::uint8_t kScalerRun = 0xF0;
// The scaler's horizontal start (low and high byte) and its mirror bit, which
// reverses each line.
constexpr std::uint8_t kHorizontalStartLow = 0x94;
constexpr std::uint8_t kHorizontalStartHigh = 0x95;
constexpr std::uint8_t kHorizontalStart525 = 6;
constexpr std::uint8_t kHorizontalStart625 = 10;
constexpr std::uint8_t kScalerMirror = 0xB4;
constexpr std::uint8_t kMirrorOn = 0x10;
// The window and scaler registers of the TV standard, each a low and high byte.
constexpr std::uint8_t kWindowRegisters[] = {kHorizontalStartLow, 0x96, 0x98, 0x9A, 0x9C, 0x9E, 0xA8, 0xAC};

// The chip's reserved registers: the register write leaves them alone.
constexpr std::uint8_t kSkipped[] = {0xA3, 0xA7, 0xAB, 0xAF, 0xB5, 0xB6, 0xB7,
                                     0xD3, 0xD7, 0xDB, 0xDF, 0xE5, 0xE6, 0xE7};

// The video controls.
using videocontrol::kAgc;
using videocontrol::kChannel;
using videocontrol::kGain;
using videocontrol::kPixelMode;
using videocontrol::kVcr;
constexpr std::uint16_t kSaturationControl = videocontrol::kSaturation;
constexpr std::uint16_t kHueControl = videocontrol::kHue;
constexpr std::uint16_t kTvStandard = videocontrol::kStandard;
constexpr std::uint16_t kContrastControl = videocontrol::kContrast;
constexpr std::uint16_t kBrightnessControl = videocontrol::kBrightness;

// Where each setting lives in the controls' bytes; the gains of inputs 0-3 follow
// one another from kGainSlot.
namespace slot {
constexpr std::uint8_t kChannel = 0;
constexpr std::uint8_t kAgc = 1;
constexpr std::uint8_t kTvStandard = 2;
constexpr std::uint8_t kVcr = 3;
constexpr std::uint8_t kPixelMode = 4;
constexpr std::uint8_t kSaturation = 5;
constexpr std::uint8_t kHue = 6;
constexpr std::uint8_t kGain = 7;
constexpr std::uint8_t kContrast = 11;
constexpr std::uint8_t kBrightness = 12;
}  // namespace slot

constexpr std::uint8_t kStandard625 = 1;
constexpr std::uint8_t kGreyPixels = 1;
}  // namespace decoder2

// The shadow byte of a bank register; false outside the banks.
bool Decoder2ShadowIndex(std::uint8_t reg, std::uint8_t* index);

// 1 when the register went to the chip; 0 for a reserved register or one outside
// the banks (nothing sent, no shadow written).
std::int32_t KT6SetDecoder2Reg(std::uint8_t reg, std::uint8_t value);
// A byte read from the chip.
std::uint8_t KT6ReadDecoder2Reg(std::uint8_t reg);
// The version and status from the chip, the bank registers from the shadow, 0 for
// any other register.
std::uint8_t KT6GetDecoder2Reg(std::uint8_t reg);
// The bank registers from a 169-byte table laid out as the shadow, all but the
// version register. A null table does nothing.
void KT6InitDecoder2(const std::uint8_t* table);

// 0 for every control. A channel that is not one of the decoder's inputs (0-3, 5)
// is neither stored nor selected, and a gain of such a channel neither.
std::int32_t KT6SetDecoder2Control(std::uint16_t control, std::uint32_t value);
// -34 for a control outside 50-59, for 57 and for a null out; else 0. The gain of a
// channel that has no slot stores nothing.
std::int32_t KT6GetDecoder2Control(std::uint16_t control, std::uint8_t* out);

}  // namespace kt6
