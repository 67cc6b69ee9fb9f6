// A module with an application object whose InitInstance answers as the build
// says; start-up and shut-down leave their marks in the module's profile.
#include "platform/afx/application.h"
#include "platform/module_entry.h"

namespace {

class CTestModuleApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    WriteProfileInt("Module", "Init", 1);
    return INIT_RESULT;
  }
  int ExitInstance() override {
    WriteProfileInt("Module", "Exit", 1);
    return 0;
  }
};

}  // namespace

CTestModuleApp theApp AFX_APPLICATION_OBJECT;
PLATFORM_MODULE_ENTRY(MODULE_NAME, AfxModuleAttach, AfxModuleDetach)
