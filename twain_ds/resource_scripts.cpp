#include "twain_ds/resource_scripts.h"

#include "platform/resources.h"

namespace twain_ds {

bool RegisterDataSourceResources(HMODULE module, const BuildDescriptor& build) {
  bool is650 = build.series() == BoardSeries::k650;
  const char* strings = is650 ? kKt6StringsScript : kRg7StringsScript;
  const char* sourceDialog = is650 ? kKt6SourceDialogScript : kRg7SourceDialogScript;
  // The 650-series camera dialog comes with that series' capture back-end.
  const bool cameraDialog = build.has_camera_control() && !is650;
  return platform::RegisterModuleResources(module, strings) &&
         platform::RegisterModuleResources(module, kInputDialogScript) &&
         platform::RegisterModuleResources(module, kFormatDialogScript) &&
         platform::RegisterModuleResources(module, sourceDialog) &&
         (!cameraDialog || platform::RegisterModuleResources(module, kRg7CameraDialogScript));
}

}  // namespace twain_ds
