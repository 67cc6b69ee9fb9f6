// The application object: one per module. The framework library is linked into
// each module that uses it, so every module has its own application object, found
// through AfxGetApp() from the module's own code.
//
// A module names its application object and its start-up like this, in one file:
//
//   CViewerApp theApp AFX_APPLICATION_OBJECT;
//   PLATFORM_MODULE_ENTRY("viewer", AfxModuleAttach, AfxModuleDetach)
//
// The module's load hook runs before the file's ordinary static objects are built;
// AFX_APPLICATION_OBJECT builds the application object ahead of it.
#pragma once

#include <string>

#include "platform/user.h"

#define AFX_APPLICATION_OBJECT __attribute__((init_priority(101)))

class CWinApp {
 public:
  // appName: the name message boxes carry; by default the module's file name
  // without its extension.
  explicit CWinApp(LPCSTR appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Runs when the module is loaded; FALSE makes the load fail.
  virtual BOOL InitInstance();
  // Runs when the module is unloaded.
  virtual int ExitInstance();

  // The module's private profile: <module name>.INI in the Windows directory.
  UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue);
  BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);
  std::string GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue = nullptr);
  BOOL WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value);

  HINSTANCE m_hInstance = nullptr;
  LPCSTR m_pszAppName = nullptr;
  LPCSTR m_pszExeName = nullptr;      // module file name without directory and extension
  LPCSTR m_pszProfileName = nullptr;  // m_pszExeName + ".INI"

 private:
  std::string app_name_;
  std::string exe_name_;
  std::string profile_name_;
};

// The calling module's application object, or null when it has none.
CWinApp* AfxGetApp();
// The calling module: its resources, its file name.
HINSTANCE AfxGetInstanceHandle();
// The application's name, or the module's when it has no application object.
LPCSTR AfxGetAppName();

// Module start-up and shut-down for PLATFORM_MODULE_ENTRY: attach runs the
// application object's InitInstance and returns its result (FALSE, too, when the
// module has no application object yet); detach runs ExitInstance.
BOOL AfxModuleAttach();
void AfxModuleDetach();
