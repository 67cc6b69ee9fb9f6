// The data sources' resource scripts (twain_ds/resources/*.rc), built in.
#pragma once

#include "platform/user.h"
#include "twain_ds/build_descriptor.h"

namespace twain_ds {

extern const char kRg7StringsScript[];
extern const char kKt6StringsScript[];
extern const char kFormatDialogScript[];
extern const char kInputDialogScript[];
extern const char kRg7SourceDialogScript[];
extern const char kKt6SourceDialogScript[];
extern const char kRg7CameraDialogScript[];
extern const char kKt6CameraDialogScript[];
extern const char kKt6InputDialogScript[];

// Registers the string tables and dialogs of the build's series with the module.
bool RegisterDataSourceResources(HMODULE module, const BuildDescriptor& build);

}  // namespace twain_ds
