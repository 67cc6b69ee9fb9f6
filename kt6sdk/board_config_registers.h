// The register-table entries that the camera-interface configuration word sets:
// board-control entries on board types 4 and 5, the control port's input
// register and the analog front end's SAA7110 and level-DAC bytes on type 2. The
// tables live in the board configuration and reach the board at the next init.
#pragma once

#include <cstdint>

namespace kt6::cfgreg {

// Board-control device (types 4 and 5).
constexpr std::uint8_t kRouting = 1;  // Rc1: which converter feeds the port, input bits 2-3
constexpr std::uint8_t kRoutingSourceBits = 0x03;
constexpr std::uint8_t kRoutingRgb = 0x02;
constexpr std::uint8_t kRoutingCamera = 0x03;
constexpr std::uint8_t kRoutingInputShift = 2;
constexpr std::uint8_t kRoutingSecondSet = 0x04;
constexpr std::uint8_t kRoutingSecondSync = 0x10;
constexpr std::uint8_t kRoutingSecondClock = 0x20;
constexpr std::uint8_t kRoutingSecondConnector = 0x40;
constexpr std::uint8_t kSync = 2;  // Rc2
constexpr std::uint8_t kUnused3 = 3;
constexpr std::uint8_t kFormat = 4;       // Rc4
constexpr std::uint8_t kSyncSelect = 5;   // Rc5
constexpr std::uint8_t kClampBit = 0x80;  // in Rc5
constexpr std::uint8_t kConverter = 6;    // Rc6
constexpr std::uint8_t kConverterRgb24 = 0x89;
constexpr std::uint8_t kConverterRgb32 = 0xA9;
constexpr std::uint8_t kConverterCamera = 0x55;
constexpr std::uint8_t kPixelPath = 17;  // Rc17
constexpr std::uint8_t kPixelPathRgb = 0x09;
constexpr std::uint8_t kRgbLineAssignment = 0x40;  // register 21 with an RGB camera

// Control port (type 2), register 5: the input path.
constexpr std::uint8_t kPortInput = 5;
constexpr std::uint8_t kPortMono = 0x01;
constexpr std::uint8_t kPortCompositeSync = 0x02;
constexpr std::uint8_t kPortSeparateSync = 0x04;
constexpr std::uint8_t kPortDigital = 0x06;
constexpr std::uint8_t kPortClamp2 = 0x08;
constexpr std::uint8_t kPortDigitalYuv = 0x08;
constexpr std::uint8_t kPortExternalClock = 0x10;

// SAA7110 registers and the level DACs of type 2.
// (saa7110::kPowerRegister carries the mode, saa7110::kInputSelect the wiring.)
constexpr std::uint8_t kSaaModeMono = 0x08;
constexpr std::uint8_t kSaaModeColour = 0x18;
constexpr std::uint8_t kSaaOutput = 0x31;
constexpr std::uint8_t kSaaOutputMono = 0x74;
constexpr std::uint8_t kSaaOutputColour = 0x75;
constexpr std::uint8_t kSaaInputSecondWiring = 0x78;
constexpr std::uint8_t kSaaInputFirstWiring = 0x7C;
constexpr std::uint8_t kLevelDacTop = 1;
constexpr std::uint8_t kLevelDacBottom = 2;

}  // namespace kt6::cfgreg
