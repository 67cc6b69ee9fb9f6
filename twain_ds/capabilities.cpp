#include "twain_ds/capabilities.h"

#include <array>
#include <cstring>
#include <optional>

#include "twain_ds/capability_containers.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/triplet_dispatch.h"
#include "twain_ds/twain_error.h"
#include "twain_ds/twain_state.h"

namespace twain_ds {
namespace {

// What a MSG_SET of a capability accepts.
struct SetRule {
  enum class Kind : std::uint8_t {
    kAccepted,     // anything; the container is not read
    kValues,       // a value between low and high
    kReadRefused,  // the value is read and refused
    kRefused,      // not settable; the container is not read
  };
  Kind kind = Kind::kRefused;
  TW_UINT32 low = 0;
  TW_UINT32 high = 0;
  bool one_value_only = false;
  // Called with an accepted value.
  void (*accepted)(TW_UINT32 value) = nullptr;
};

struct CapabilityDecl {
  TW_UINT16 cap;
  // Builds the answer container in the record; returns a condition.
  TW_UINT16 (*get)(TW_CAPABILITY* record);
  SetRule set;
};

// A TW_FIX32 as the 32 bits of a one-value item: Whole low, Frac high.
constexpr TW_UINT32 Fix32Item(TW_INT16 whole, TW_UINT16 frac = 0) {
  return static_cast<TW_UINT16>(whole) | TW_UINT32{frac} << 16;
}

bool InColour() { return FormatSettings().color != 0; }

TW_UINT16 GetSupportedCaps(TW_CAPABILITY* record);

TW_UINT16 GetXferMech(TW_CAPABILITY* record) {
  // The enumeration's items are TWTY_INT16; its current item stays native whatever
  // MSG_SET asked for.
  constexpr std::array<TW_UINT32, 3> kMechanisms{TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY};
  return BuildEnumeration(record, {.item_type = TWTY_INT16, .current_index = 0, .default_index = 0}, kMechanisms);
}

constexpr SetRule kAccepted{.kind = SetRule::Kind::kAccepted};
constexpr SetRule kRefused{.kind = SetRule::Kind::kRefused};
constexpr SetRule kReadRefused{.kind = SetRule::Kind::kReadRefused};

// Declared once: the order is the order of CAP_SUPPORTEDCAPS.
constexpr CapabilityDecl kCapabilities[] = {
    {CAP_XFERCOUNT, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_INT16, static_cast<TW_UINT16>(-1)); },
     kAccepted},
    {CAP_SUPPORTEDCAPS, GetSupportedCaps, kRefused},
    {CAP_UICONTROLLABLE, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_BOOL, 0); }, kRefused},
    {ICAP_COMPRESSION, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_UINT16, TWCP_NONE); }, kRefused},
    {ICAP_PLANARCHUNKY, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_UINT16, TWPC_CHUNKY); }, kRefused},
    {ICAP_PHYSICALHEIGHT, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_FIX32, Fix32Item(576)); }, kRefused},
    {ICAP_PHYSICALWIDTH, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_FIX32, Fix32Item(768)); }, kRefused},
    {ICAP_PIXELFLAVOR, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_UINT16, TWPF_CHOCOLATE); }, kRefused},
    {ICAP_BITDEPTH, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_UINT16, InColour() ? 24 : 8); }, kReadRefused},
    {ICAP_BITORDER,
     [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_UINT16, TWBO_MSBFIRST); },
     {.kind = SetRule::Kind::kValues, .low = TWBO_MSBFIRST, .high = TWBO_MSBFIRST, .one_value_only = true}},
    {ICAP_PIXELTYPE, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_UINT16, InColour() ? TWPT_RGB : TWPT_GRAY); },
     kReadRefused},
    {ICAP_UNITS,
     [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_UINT16, TWUN_PIXELS); },
     {.kind = SetRule::Kind::kValues, .low = TWUN_PIXELS, .high = TWUN_PIXELS}},
    {ICAP_XFERMECH,
     GetXferMech,
     {.kind = SetRule::Kind::kValues,
      .low = TWSX_NATIVE,
      .high = TWSX_MEMORY,
      .accepted = [](TW_UINT32 value) { g_requestedXferMech = static_cast<TW_UINT16>(value); }}},
    {ICAP_XRESOLUTION, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_FIX32, Fix32Item(1)); }, kAccepted},
    {ICAP_YRESOLUTION, [](TW_CAPABILITY* r) { return BuildOneValue(r, TWTY_FIX32, Fix32Item(1)); }, kAccepted},
};

constexpr auto kSupportedCaps = [] {
  std::array<TW_UINT16, std::size(kCapabilities)> caps{};
  for (std::size_t i = 0; i < caps.size(); ++i) caps[i] = kCapabilities[i].cap;
  return caps;
}();

TW_UINT16 GetSupportedCaps(TW_CAPABILITY* record) {
  std::array<TW_UINT32, kSupportedCaps.size()> items{};
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = kSupportedCaps[i];
  return BuildArray(record, TWTY_UINT16, items);
}

const CapabilityDecl* FindCapability(TW_UINT16 cap) {
  for (const CapabilityDecl& decl : kCapabilities)
    if (decl.cap == cap) return &decl;
  return nullptr;
}

// What the application sent: a one value's item or an enumeration's current item;
// any other container, or one that cannot be read, counts as 0xFFFF.
constexpr TW_UINT32 kOtherContainer = 0xFFFF;

TW_UINT32 ValueSent(const TW_CAPABILITY& cap) {
  std::optional<TW_UINT32> value;
  if (cap.ConType == TWON_ONEVALUE) value = ReadOneValue(cap);
  if (cap.ConType == TWON_ENUMERATION) value = ReadEnumeration(cap, kCurrentItem);
  return value.value_or(kOtherContainer);
}

}  // namespace

std::span<const TW_UINT16> SupportedCapabilities() { return kSupportedCaps; }

TW_UINT16 GetCapability(TW_CAPABILITY* cap) {
  const CapabilityDecl* decl = FindCapability(cap->Cap);
  return decl ? decl->get(cap) : TWCC_BADCAP;
}

TW_UINT16 SetCapability(const TW_CAPABILITY& cap) {
  const CapabilityDecl* decl = FindCapability(cap.Cap);
  if (!decl) return TWCC_BADCAP;
  const SetRule& rule = decl->set;
  switch (rule.kind) {
    case SetRule::Kind::kAccepted:
      return TWCC_SUCCESS;
    case SetRule::Kind::kRefused:
      return TWCC_BADCAP;
    case SetRule::Kind::kReadRefused:
      ValueSent(cap);
      return TWCC_BADCAP;
    case SetRule::Kind::kValues:
      break;
  }
  if (rule.one_value_only && cap.ConType != TWON_ONEVALUE) return TWCC_BADCAP;
  TW_UINT32 value = ValueSent(cap);
  if (value < rule.low || value > rule.high) return TWCC_BADCAP;
  if (rule.accepted) rule.accepted(value);
  return TWCC_SUCCESS;
}

TW_UINT16 CapabilityMsg(const TwainTriplet& triplet) {
  bool get = triplet.MSG == MSG_GET || triplet.MSG == MSG_GETCURRENT || triplet.MSG == MSG_GETDEFAULT;
  bool set = triplet.MSG == MSG_SET || triplet.MSG == MSG_RESET;
  if (!get && !set) return FailTriplet(TWCC_BADPROTOCOL, kLeadCaps);
  if (!triplet.pData) return FailQuietly(TWCC_BADVALUE);
  TW_CAPABILITY cap;
  std::memcpy(&cap, triplet.pData, sizeof cap);
  TW_UINT16 condition = get ? GetCapability(&cap) : SetCapability(cap);
  if (get && condition == TWCC_SUCCESS) std::memcpy(triplet.pData, &cap, sizeof cap);
  g_condition = condition;
  return condition == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE;
}

}  // namespace twain_ds
