// rg7_95v: the 700-series data source for Windows 95.
#include "platform/afx/application.h"
#include "platform/module_entry.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/resource_scripts.h"

namespace {

twain_ds::CDataSourceApp theApp AFX_APPLICATION_OBJECT{twain_ds::kRg7_95v};

// A data source whose SDK library refused to load (its VxD missing) fails to load
// too; the loader of a host that dlopened it cannot tell us otherwise.
BOOL DataSourceAttach() {
  if (platform::ModuleRefused("rg7app95")) return FALSE;
  return twain_ds::RegisterDataSourceResources(AfxGetInstanceHandle(), twain_ds::kRg7_95v) && AfxModuleAttach();
}

}  // namespace

PLATFORM_MODULE_ENTRY("rg7_95v", DataSourceAttach, AfxModuleDetach)
