#include "platform/profile.h"

#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>

#include "platform/ini_file.h"
#include "platform/last_error.h"
#include "platform/paths.h"
#include "platform/string_copy.h"

namespace {

// Writers read, edit and write back whole files; one at a time.
std::mutex g_writeMutex;

// A bare file name lives in the Windows directory; anything with a directory part
// is a path of its own.
std::string ProfilePath(LPCSTR fileName) {
  if (!fileName || !*fileName) return {};
  if (!std::strchr(fileName, '\\') && !std::strchr(fileName, '/') && !std::strchr(fileName, ':'))
    return platform::MapPath((platform::WindowsDirectory() + "/" + fileName).c_str());
  return platform::MapPath(fileName);
}

std::optional<std::string> Lookup(LPCSTR section, LPCSTR key, const std::string& hostPath) {
  if (!section || !key || hostPath.empty()) return std::nullopt;
  return platform::IniFile::Load(hostPath).Find(section, key);
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName) {
  auto value = Lookup(section, key, ProfilePath(fileName));
  return static_cast<DWORD>(
      platform::CopyTruncated(value ? *value : std::string(defaultValue ? defaultValue : ""), buffer, size));
}

DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, "WIN.INI");
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  auto value = Lookup(section, key, ProfilePath(fileName));
  if (!value) return static_cast<UINT>(defaultValue);
  return static_cast<UINT>(platform::ParseProfileInteger(*value));
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  std::string hostPath = ProfilePath(fileName);
  if (!section || hostPath.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(g_writeMutex);
  std::string text = platform::ReadIniText(hostPath);
  std::string edited = platform::EditIniText(text, section, key, value);
  if (edited == text) return TRUE;
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  if (!(out << edited) || !out.flush()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}
