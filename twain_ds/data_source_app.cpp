#include "twain_ds/data_source_app.h"

#include "twain_ds/identity.h"

namespace twain_ds {

BOOL CDataSourceApp::InitInstance() {
  FillOwnIdentity(m_hInstance, build_, &g_ownIdentity);
  g_appIdentity.Id = 0;
  return CWinApp::InitInstance();
}

}  // namespace twain_ds
