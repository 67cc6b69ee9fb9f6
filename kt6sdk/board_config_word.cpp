// KT6SetBoardConfig and KT6GetBoardConfig: the configuration word turned into the
// register tables that the next KT6Init writes (board-control entries on types 4
// and 5; SAA7110, level-DAC and control-port entries on type 2) and the pixel
// mode. Nothing is written to the board here.
#include <cstddef>

#include "kt6sdk/board_config_registers.h"
#include "kt6sdk/config_word.h"
#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/line_registers.h"
#include "kt6sdk/saa7110.h"
#include "kt6sdk/shadow_bytes.h"

namespace kt6 {
namespace {

using namespace cfgword;

constexpr std::uint8_t kFirstDecoderType = 2;
constexpr std::uint8_t kFirstCameraType = 4;
constexpr std::uint8_t kSecondSetInput = 7;
constexpr std::uint8_t kMonoFlag = 1;  // BoardConfig byte 169 on type 2

// The board-control entries the word decides, the other entries as they are.
struct CameraTables {
  std::uint8_t rc1 = 0, rc2 = 0, rc4 = 0, rc5 = 0, rc6 = 0, rc17 = 0, rc21 = 0;
};

std::uint8_t Bit(std::uint8_t value, std::uint8_t bit, bool on) {
  return static_cast<std::uint8_t>(on ? value | bit : value & ~bit);
}

// Caller notation into the stored one of the camera-interface boards.
std::uint32_t ToStored(std::uint32_t word) {
  struct Map {
    std::uint32_t caller, stored;
  };
  for (Map m : {Map{kAnalogColour, kStoredDecoder2},
                {kAnalogMono, kStoredCamera},
                {kDigitalColour, kStoredDigitalColour},
                {kDigitalMono, kStoredDigitalMono}})
    if (word & m.caller) word = (word & ~m.caller) | m.stored;
  return word;
}

std::uint32_t ToCaller(std::uint32_t word) {
  struct Map {
    std::uint32_t stored, caller;
  };
  for (Map m : {Map{kStoredDecoder2, kAnalogColour},
                {kStoredCamera, kAnalogMono},
                {kStoredDigitalColour, kDigitalColour},
                {kStoredDigitalMono, kDigitalMono}})
    if (word & m.stored) word = (word & ~m.stored) | m.caller;
  return word;
}

struct Computation {
  std::uint32_t word;
  std::uint8_t pixel_mode;
  CameraTables rc;
  std::uint8_t rp5 = 0;
};

void AnalogFormatType2(Computation& k, BoardConfig& c) {
  std::uint32_t& w = k.word;
  if (w & kAnalogMono) {
    StoreShadow(c.saa7110_registers[saa7110::kPowerRegister], cfgreg::kSaaModeMono);
    StoreShadow(c.saa7110_registers[cfgreg::kSaaOutput], cfgreg::kSaaOutputMono);
    StoreShadow(c.saa7110_controls[1], kMonoFlag);
    w &= ~kMonoClears;
    k.pixel_mode = 1;
    k.rp5 |= cfgreg::kPortMono;
    bool clamp2 = w & kClamp2;
    if (clamp2) {
      w &= ~kClamp1;
      k.rp5 |= cfgreg::kPortClamp2;
    } else {
      w = (w | kClamp1) & ~kClamp2;
    }
    StoreShadow(c.level_dacs[cfgreg::kLevelDacTop], clamp2 ? 0xD6 : 0x94);
    StoreShadow(c.level_dacs[cfgreg::kLevelDacBottom], clamp2 ? 0x42 : 0x00);
  } else if (w & kAnalogColour) {
    StoreShadow(c.saa7110_registers[saa7110::kPowerRegister],
                (w & kExternalClock) ? cfgreg::kSaaModeMono : cfgreg::kSaaModeColour);
    StoreShadow(c.saa7110_registers[cfgreg::kSaaOutput], cfgreg::kSaaOutputColour);
    StoreShadow(c.saa7110_controls[1], 0);
    w = (w | kAnalogColour) & ~kColourClears;
    k.pixel_mode = 2;
    k.rp5 &= static_cast<std::uint8_t>(~cfgreg::kPortMono);
    StoreShadow(c.saa7110_registers[saa7110::kInputSelect],
                (w & kSecondWiring) ? cfgreg::kSaaInputSecondWiring : cfgreg::kSaaInputFirstWiring);
    w = (w | kClamp1) & ~kClamp2;
  }
}

// Types 4 and 5 take every analog word but RGB as the one-set camera interface.
void AnalogFormatCamera(Computation& k, const BoardConfig& c) {
  std::uint32_t& w = k.word;
  CameraTables& r = k.rc;
  if (w & (kRgb24 | kRgb32)) {
    bool rgb24 = w & kRgb24;
    r.rc1 = static_cast<std::uint8_t>((r.rc1 & ~cfgreg::kRoutingSourceBits) + cfgreg::kRoutingRgb);
    r.rc4 = static_cast<std::uint8_t>((r.rc4 & 0xC7) | 0x1A);
    r.rc17 |= cfgreg::kPixelPathRgb;
    w &= ~(rgb24 ? kRgb24Clears : kRgb32Clears);
    k.pixel_mode = rgb24 ? 4 : 8;
    r.rc21 = cfgreg::kRgbLineAssignment;
    r.rc6 = rgb24 ? cfgreg::kConverterRgb24 : cfgreg::kConverterRgb32;
    if (LoadShadow(c.level_set_input) == kSecondSetInput) r.rc1 |= cfgreg::kRoutingSecondSet;
    return;
  }
  r.rc1 = static_cast<std::uint8_t>((r.rc1 & ~cfgreg::kRoutingSourceBits) + cfgreg::kRoutingCamera);
  r.rc4 = static_cast<std::uint8_t>((r.rc4 | 0x20) & 0xE5);
  r.rc17 &= static_cast<std::uint8_t>(~cfgreg::kPixelPathRgb);
  r.rc6 = cfgreg::kConverterCamera;
  w = (w | kStoredCamera) & ~kCameraClears;
  k.pixel_mode = 1;
  std::uint8_t input = LoadShadow(c.camera_input);
  if (input >= 1 && input <= 3) r.rc1 |= static_cast<std::uint8_t>(input << cfgreg::kRoutingInputShift);
}

void AnalogSyncCamera(Computation& k) {
  std::uint32_t& w = k.word;
  CameraTables& r = k.rc;
  if (w & kSeparateSync) {
    w &= ~(kTtlCompositeSync | kCompositeSync | kInternalSync);
    r.rc5 = (w & kHSyncPolarity) ? static_cast<std::uint8_t>((r.rc5 & 0xFC) | 0x0B)
                                 : static_cast<std::uint8_t>((r.rc5 & 0xF4) | 0x03);
    r.rc2 = Bit(r.rc2, 0x10, w & kHSyncPolarity);
    r.rc5 = Bit(r.rc5, 0x04, w & kVSyncPolarity);
  } else if (w & kCompositeSync) {
    w &= ~(kTtlCompositeSync | kSeparateSync | kInternalSync);
    r.rc2 = static_cast<std::uint8_t>((r.rc2 & 0xFC) + 1);
    r.rc5 = static_cast<std::uint8_t>((r.rc5 & 0xF0) + 2);
  } else {
    r.rc5 = static_cast<std::uint8_t>((r.rc5 & 0xFC) + 2);
    if (w & kTtlCompositeSync) {
      w &= ~(kSeparateSync | kCompositeSync | kInternalSync);
      r.rc5 &= 0xF3;
      r.rc2 = (w & kCSyncPolarity) ? static_cast<std::uint8_t>((r.rc2 & 0xFC) | 0x13)
                                   : static_cast<std::uint8_t>((r.rc2 & 0xEC) | 0x03);
    } else {
      w = (w | kInternalSync) & ~(kTtlCompositeSync | kSeparateSync | kCompositeSync);
      r.rc2 &= 0xFC;
      r.rc5 &= 0xF3;
    }
  }
  if (!(w & kSecondSyncChannel)) {
    r.rc2 &= 0xF3;
  } else if (w & kSeparateSync) {
    r.rc1 |= cfgreg::kRoutingSecondSync;
    r.rc5 &= 0xFC;
    r.rc2 = static_cast<std::uint8_t>((r.rc2 & 0xF0) + 0x0B);
  } else if (w & (kCompositeSync | kTtlCompositeSync)) {
    r.rc2 = static_cast<std::uint8_t>((r.rc2 & 0xF3) | 0x04);
  }
}

void AnalogSyncType2(Computation& k) {
  std::uint32_t& w = k.word;
  if (w & kCompositeSync) {
    w &= ~(kSeparateSync | kInternalSync);
    k.rp5 |= cfgreg::kPortCompositeSync;
  } else if (w & kSeparateSync) {
    w &= ~(kCompositeSync | kInternalSync);
    k.rp5 |= cfgreg::kPortSeparateSync;
  } else {
    w = (w | kInternalSync) & ~(kCompositeSync | kSeparateSync);
  }
}

void PixelClock(Computation& k, bool camera) {
  std::uint32_t& w = k.word;
  bool external = w & kExternalClock;
  if (external)
    w &= ~kInternalClock;
  else
    w = (w | kInternalClock) & ~kExternalClock;
  if (camera) {
    k.rc.rc4 = static_cast<std::uint8_t>((k.rc.rc4 & 0x3F) | (external ? 0xC0 : 0x80));
    k.rc.rc1 = Bit(k.rc.rc1, cfgreg::kRoutingSecondClock, w & kSecondClockChannel);
  } else if (external) {
    k.rp5 |= cfgreg::kPortExternalClock;
  }
}

void Clamp(Computation& k) {
  if (k.word & kClamp2) {
    k.rc.rc5 |= cfgreg::kClampBit;
    k.word &= ~kClamp1;
  } else {
    k.rc.rc5 &= static_cast<std::uint8_t>(~cfgreg::kClampBit);
    k.word = (k.word | kClamp1) & ~kClamp2;
  }
}

void DigitalFormat(Computation& k, bool camera) {
  std::uint32_t& w = k.word;
  if (!camera) {
    if (w & kDigitalColour) {
      w &= ~0x1C0C008u;
      k.pixel_mode = 2;
      k.rp5 |= cfgreg::kPortDigitalYuv;
    } else {
      w = (w | kDigitalMono) & ~0x1C0C004u;
      k.pixel_mode = 1;
      k.rp5 &= static_cast<std::uint8_t>(~cfgreg::kPortDigitalYuv);
    }
    return;
  }
  CameraTables& r = k.rc;
  r.rc1 &= static_cast<std::uint8_t>(~cfgreg::kRoutingSourceBits);
  if (w & kDigitalYuv) {
    r.rc4 = static_cast<std::uint8_t>((r.rc4 & 0xE7) | 0x38);
    w &= ~0x180C00Cu;
    k.pixel_mode = 2;
    r.rc17 &= static_cast<std::uint8_t>(~cfgreg::kPixelPathRgb);
  } else if (w & (kDigitalRgb24 | kDigitalRgb32)) {
    bool rgb24 = w & kDigitalRgb24;
    r.rc4 &= 0xC7;
    w &= rgb24 ? ~0x140C00Cu : ~0xC0C00Cu;
    k.pixel_mode = rgb24 ? 4 : 8;
    r.rc17 |= cfgreg::kPixelPathRgb;
  } else if (w & kStoredDigitalMono) {
    r.rc4 = static_cast<std::uint8_t>((r.rc4 | 0x20) & 0xE7);
    w &= ~0x1C0800Cu;
    k.pixel_mode = 1;
    r.rc17 &= static_cast<std::uint8_t>(~cfgreg::kPixelPathRgb);
  } else {
    r.rc4 &= 0xC7;
    w = (w | kStoredDigitalColour) & ~0x1C0400Cu;
    k.pixel_mode = 2;
    r.rc17 &= static_cast<std::uint8_t>(~cfgreg::kPixelPathRgb);
  }
}

void StoreTables(const Computation& k, BoardConfig& c, bool camera) {
  if (camera) {
    std::uint8_t* t = c.control_registers;
    StoreShadow(t[cfgreg::kRouting], k.rc.rc1);
    StoreShadow(t[cfgreg::kSync], k.rc.rc2);
    StoreShadow(t[cfgreg::kUnused3], 0);
    StoreShadow(t[cfgreg::kFormat], k.rc.rc4);
    StoreShadow(t[cfgreg::kSyncSelect], k.rc.rc5);
    StoreShadow(t[cfgreg::kConverter], k.rc.rc6);
    StoreShadow(t[cfgreg::kPixelPath], k.rc.rc17);
    StoreShadow(t[ctrlline::kLineAssignment], k.rc.rc21);
  } else {
    StoreShadow(c.port_registers[cfgreg::kPortInput], k.rp5);
  }
  StoreShadowField<std::uint32_t>(&c, offsetof(BoardConfig, board_flags), k.word);
  StoreShadow(c.pixel_mode, k.pixel_mode);
}

}  // namespace

}  // namespace kt6

std::int32_t KT6SetBoardConfig(std::uint32_t word) {
  using namespace kt6;
  if (!g_state.opened.load()) return KT6_ERR_GENERAL;
  std::uint16_t type = g_state.board_type;
  if (type < kFirstDecoderType || type == 3) return KT6_ERR_NOT_SUPPORTED;
  bool camera = type >= kFirstCameraType;
  if (!camera && (word & (kStoredDecoder2 | kRgb24 | kRgb32))) return KT6_ERR_MODE;
  BoardConfig& c = g_state.config;
  Computation k{word, LoadShadow(c.pixel_mode), {}, 0};
  k.rc.rc2 = LoadShadow(c.control_registers[cfgreg::kSync]);
  k.rc.rc5 = LoadShadow(c.control_registers[cfgreg::kSyncSelect]);
  k.rc.rc6 = LoadShadow(c.control_registers[cfgreg::kConverter]);
  if (camera) {
    k.word = ToStored(k.word);
    k.rc.rc1 = Bit(k.rc.rc1, cfgreg::kRoutingSecondConnector, k.word & kSecondConnector);
  }
  if (k.word & kDigitalPort) {
    if (!camera) k.rp5 |= cfgreg::kPortDigital;
    k.word &= ~kAnalogPort;
    DigitalFormat(k, camera);
  } else {
    k.word = (k.word | kAnalogPort) & ~kDigitalPort;
    if (camera) {
      AnalogFormatCamera(k, c);
      AnalogSyncCamera(k);
    } else {
      AnalogFormatType2(k, c);
      AnalogSyncType2(k);
    }
    PixelClock(k, camera);
    Clamp(k);
  }
  StoreTables(k, c, camera);
  return KT6_OK;
}

std::int32_t KT6GetBoardConfig(std::uint32_t* word) {
  using namespace kt6;
  if (!g_state.opened.load()) return KT6_ERR_GENERAL;
  if (g_state.board_type < kFirstDecoderType) return KT6_ERR_NOT_SUPPORTED;
  if (!word) return KT6_ERR_GENERAL;
  std::uint32_t stored = LoadShadowField<std::uint32_t>(&g_state.config, offsetof(BoardConfig, board_flags));
  *word = g_state.board_type > kFirstDecoderType ? ToCaller(stored) : stored;
  return KT6_OK;
}
