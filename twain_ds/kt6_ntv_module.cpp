// kt6_ntv: the 650-series data source for Windows NT with the Orbicam camera.
#include "platform/afx/application.h"
#include "platform/module_entry.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/resource_scripts.h"

namespace {

twain_ds::CDataSourceApp theApp AFX_APPLICATION_OBJECT{twain_ds::kKt6Ntv};

// The module's resources are in place before the framework starts the application.
BOOL DataSourceAttach() {
  return twain_ds::RegisterDataSourceResources(AfxGetInstanceHandle(), twain_ds::kKt6Ntv) && AfxModuleAttach();
}

}  // namespace

PLATFORM_MODULE_ENTRY("kt6_ntv", DataSourceAttach, AfxModuleDetach)
