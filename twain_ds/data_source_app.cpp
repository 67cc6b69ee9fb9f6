#include "twain_ds/data_source_app.h"

#include "twain_ds/identity.h"

namespace twain_ds {

BOOL CDataSourceApp::InitInstance() {
  FillOwnIdentity(m_hInstance, build_, &g_ownIdentity);
  g_appIdentity.Id = 0;
  started_ = CWinApp::InitInstance() != FALSE;
  return started_ ? TRUE : FALSE;
}

CDataSourceApp* DataSourceApp() { return dynamic_cast<CDataSourceApp*>(AfxGetApp()); }

const BuildDescriptor& CurrentBuild() { return DataSourceApp()->build(); }

CFormatSettings& FormatSettings() { return DataSourceApp()->format_settings(); }

CSourceSettings& SourceSettings() { return DataSourceApp()->source_settings(); }

}  // namespace twain_ds
