#include "platform/paths.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
std::string g_windowsDirectory;
bool g_windowsDirectorySet = false;
std::map<char, std::string> g_driveRoots;

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Finds `component` in `dir` ignoring case; returns the spelling on disk or the
// component itself when nothing matches.
std::string ResolveComponent(const std::string& dir, const std::string& component) {
  if (component.empty() || component == "." || component == "..") return component;
  std::string exact = dir.empty() ? component : dir + "/" + component;
  if (Exists(exact)) return component;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return component;
  std::string found = component;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, component.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

void SetWindowsDirectory(const std::string& hostPath) {
  std::lock_guard lock(g_mutex);
  g_windowsDirectory = hostPath;
  g_windowsDirectorySet = true;
}

std::string WindowsDirectory() {
  std::lock_guard lock(g_mutex);
  if (g_windowsDirectorySet) return g_windowsDirectory;
  const char* env = std::getenv("WINDIR");
  return env && *env ? env : ".";
}

void SetDriveRoot(char letter, const std::string& hostPath) {
  std::lock_guard lock(g_mutex);
  g_driveRoots[static_cast<char>(std::tolower(static_cast<unsigned char>(letter)))] = hostPath;
}

bool IsDevicePath(const char* path, std::string* name) {
  if (!path) return false;
  std::string p(path);
  if (p.size() > 4 && (p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/') && p[2] == '.' &&
      (p[3] == '\\' || p[3] == '/')) {
    if (name) *name = p.substr(4);
    return true;
  }
  return false;
}

std::string MapPath(const char* windowsPath) {
  if (!windowsPath) return {};
  std::string p(windowsPath);
  for (char& c : p)
    if (c == '\\') c = '/';
  std::string root;
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(p[0])));
    {
      std::lock_guard lock(g_mutex);
      auto it = g_driveRoots.find(letter);
      if (it != g_driveRoots.end()) root = it->second;
    }
    if (root.empty()) root = WindowsDirectory() + "/drive_" + std::string(1, letter);
    p = p.substr(2);
    if (p.empty() || p[0] != '/') p = "/" + p;
    p = root + p;
  }
  // Resolve each component ignoring case, left to right.
  std::string out;
  std::size_t pos = 0;
  if (!p.empty() && p[0] == '/') {
    out = "/";
    pos = 1;
  }
  while (pos <= p.size()) {
    std::size_t next = p.find('/', pos);
    if (next == std::string::npos) next = p.size();
    std::string component = p.substr(pos, next - pos);
    if (!component.empty()) {
      std::string dir = out == "/" ? "/" : out;
      std::string resolved = ResolveComponent(out.empty() ? "" : dir, component);
      if (!out.empty() && out != "/") out += "/";
      out += resolved;
    }
    pos = next + 1;
  }
  return out.empty() ? "." : out;
}

}  // namespace platform
