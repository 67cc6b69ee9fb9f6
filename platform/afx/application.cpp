#include "platform/afx/application.h"

#include <cstdio>

#include "platform/profile.h"
#include "platform/resources.h"

namespace {

// The module's application object (each module links its own copy of the framework).
CWinApp* g_app = nullptr;

// File name of the module without directory and extension.
std::string ModuleBaseName(HINSTANCE module) {
  char path[1024] = {};
  GetModuleFileNameA(module, path, sizeof path);
  std::string name = path;
  if (auto slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
  if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

CWinApp::CWinApp(LPCSTR appName)
    : m_hInstance(AfxGetInstanceHandle()), exe_name_(ModuleBaseName(m_hInstance)), profile_name_(exe_name_ + ".INI") {
  app_name_ = appName ? appName : exe_name_;
  m_pszAppName = app_name_.c_str();
  m_pszExeName = exe_name_.c_str();
  m_pszProfileName = profile_name_.c_str();
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

UINT CWinApp::GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue) {
  return GetPrivateProfileIntA(section, entry, defaultValue, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(LPCSTR section, LPCSTR entry, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return WriteProfileString(section, entry, text);
}

std::string CWinApp::GetProfileString(LPCSTR section, LPCSTR entry, LPCSTR defaultValue) {
  // Grows the buffer until the value fits: a full buffer may mean a cut value.
  std::string value(256, '\0');
  for (;;) {
    DWORD n = GetPrivateProfileStringA(section, entry, defaultValue ? defaultValue : "", value.data(),
                                       static_cast<DWORD>(value.size()), m_pszProfileName);
    if (n + 1 < value.size()) return value.substr(0, n);
    value.resize(value.size() * 2);
  }
}

BOOL CWinApp::WriteProfileString(LPCSTR section, LPCSTR entry, LPCSTR value) {
  return WritePrivateProfileStringA(section, entry, value, m_pszProfileName);
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() {
  // This code is linked into the module, so its own address names the module.
  return platform::ModuleFromAddress(reinterpret_cast<const void*>(&AfxGetInstanceHandle));
}

LPCSTR AfxGetAppName() {
  if (g_app) return g_app->m_pszAppName;
  static const std::string moduleName = ModuleBaseName(AfxGetInstanceHandle());
  return moduleName.c_str();
}

BOOL AfxModuleAttach() { return g_app ? g_app->InitInstance() : FALSE; }

void AfxModuleDetach() {
  if (g_app) g_app->ExitInstance();
}
