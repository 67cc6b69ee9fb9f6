#include "twain_ds/resource_scripts.h"

#include "platform/resources.h"

namespace twain_ds {

bool RegisterDataSourceResources(HMODULE module, const BuildDescriptor& build) {
  const char* strings = build.series() == BoardSeries::k650 ? kKt6StringsScript : kRg7StringsScript;
  return platform::RegisterModuleResources(module, strings) &&
         platform::RegisterModuleResources(module, kFormatDialogScript);
}

}  // namespace twain_ds
