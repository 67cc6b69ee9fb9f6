#include "twain_ds/identity.h"

#include <array>
#include <cstring>

#include "platform/resources.h"

namespace twain_ds {

TW_IDENTITY g_ownIdentity{};
TW_IDENTITY g_appIdentity{};

namespace {

// String-table entries of the identity; ProductName's entry is the build's own.
constexpr UINT kVersionInfoString = 1;
constexpr UINT kManufacturerString = 2;
constexpr UINT kProductFamilyString = 3;

// A TW_STR32 field holds 33 characters and the terminator.
using IdentityString = std::array<char, sizeof(TW_STR32)>;

IdentityString LoadIdentityString(HINSTANCE module, UINT id) {
  IdentityString text{};
  ::LoadStringA(module, id, text.data(), static_cast<int>(text.size()));
  return text;
}

}  // namespace

void FillOwnIdentity(HINSTANCE module, const BuildDescriptor& build, TW_IDENTITY* identity) {
  TW_IDENTITY filled{};
  filled.Id = 0;
  filled.Version.MajorNum = 1;
  filled.Version.MinorNum = 0;
  filled.Version.Language = TWLG_USA;
  filled.Version.Country = TWCY_USA;
  std::memcpy(filled.Version.Info, LoadIdentityString(module, kVersionInfoString).data(), sizeof(TW_STR32));
  filled.ProtocolMajor = 1;
  filled.ProtocolMinor = 5;
  filled.SupportedGroups = DG_CONTROL | DG_IMAGE;
  std::memcpy(filled.Manufacturer, LoadIdentityString(module, kManufacturerString).data(), sizeof(TW_STR32));
  std::memcpy(filled.ProductFamily, LoadIdentityString(module, kProductFamilyString).data(), sizeof(TW_STR32));
  std::memcpy(filled.ProductName, LoadIdentityString(module, build.product_name_entry).data(), sizeof(TW_STR32));
  *identity = filled;
}

}  // namespace twain_ds
