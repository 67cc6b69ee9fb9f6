#include "twain_ds/resource_scripts.h"

#include "platform/resources.h"

namespace twain_ds {

bool RegisterDataSourceResources(HMODULE module, const BuildDescriptor& build) {
  bool is650 = build.series() == BoardSeries::k650;
  const char* strings = is650 ? kKt6StringsScript : kRg7StringsScript;
  const char* sourceDialog = is650 ? kKt6SourceDialogScript : kRg7SourceDialogScript;
  const char* cameraDialog = is650 ? kKt6CameraDialogScript : kRg7CameraDialogScript;
  return platform::RegisterModuleResources(module, strings) &&
         platform::RegisterModuleResources(module, kInputDialogScript) &&
         (!build.rules->russian_dialogs || platform::RegisterModuleResources(module, kKt6InputDialogScript)) &&
         platform::RegisterModuleResources(module, kFormatDialogScript) &&
         platform::RegisterModuleResources(module, sourceDialog) &&
         (!build.has_camera_control() || platform::RegisterModuleResources(module, cameraDialog));
}

}  // namespace twain_ds
