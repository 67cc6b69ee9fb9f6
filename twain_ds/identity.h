// The data source's own TWAIN identity and that of the connected application.
#pragma once

#include "platform/user.h"
#include "twain_ds/build_descriptor.h"
#include "twain_ds/twain.h"

namespace twain_ds {

// Filled when the module starts; the source manager assigns its Id at open.
extern TW_IDENTITY g_ownIdentity;
// Id non-zero while an application is connected.
extern TW_IDENTITY g_appIdentity;

// The identity of a build, its strings from the module's string table.
void FillOwnIdentity(HINSTANCE module, const BuildDescriptor& build, TW_IDENTITY* identity);

}  // namespace twain_ds
