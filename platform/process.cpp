#include "platform/process.h"

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/last_error.h"
#include "platform/module_loader.h"
#include "platform/paths.h"
#include "platform/user.h"
#include "platform/waitable.h"
#include "platform/window_system.h"

namespace platform {
namespace {

class Process : public Waitable {
 public:
  explicit Process(DWORD id) : id_(id) {}
  bool IsSignalled() const override { return ended_; }
  // The program's window procedures need the lock to run.
  bool WaitsForWindows() const override { return true; }
  DWORD id() const { return id_; }
  // Under the wait lock.
  DWORD exit_code() const { return ended_ ? exit_code_ : STILL_ACTIVE; }
  void End(DWORD code) {
    exit_code_ = code;
    ended_ = true;
  }
  // Under the wait lock: the main thread has waited for input.
  bool idle = false;

 private:
  DWORD id_;
  DWORD exit_code_ = 0;
  bool ended_ = false;
};

// What the caller and the program's thread share while the program starts.
struct Start {
  std::string module_path;
  std::string command_tail;
  int show = SW_SHOWDEFAULT;
  std::shared_ptr<Process> process;
  // Filled by the program's thread before it lets the caller go on.
  HANDLE loaded = nullptr;
  DWORD error = ERROR_SUCCESS;
};

std::mutex g_mutex;
std::set<HMODULE> g_running;
DWORD g_nextProcessId = 4;

// Main thread of a program: its process, for the message loop's idle note.
thread_local Process* t_mainOf = nullptr;

DWORD NewProcessId() {
  std::lock_guard lock(g_mutex);
  DWORD id;
  // Never the host's own id, which GetCurrentProcessId gives outside programs.
  do {
    id = g_nextProcessId;
    g_nextProcessId += 4;
  } while (id == static_cast<DWORD>(::getpid()));
  return id;
}

bool EndsWith(const std::string& s, const char* ext) {
  std::size_t n = std::char_traits<char>::length(ext);
  if (s.size() <= n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != ext[i]) return false;
  return true;
}

// The program's name and the rest of the command line.
bool SplitCommandLine(LPCSTR application, LPCSTR commandLine, std::string* program, std::string* tail) {
  std::string line = commandLine ? commandLine : "";
  std::size_t at = line.find_first_not_of(" \t");
  std::string first;
  if (at != std::string::npos) {
    std::size_t end;
    if (line[at] == '"') {
      end = line.find('"', at + 1);
      first = line.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
      end = end == std::string::npos ? line.size() : end + 1;
    } else {
      end = line.find_first_of(" \t", at);
      if (end == std::string::npos) end = line.size();
      first = line.substr(at, end - at);
    }
    std::size_t rest = line.find_first_not_of(" \t", end);
    if (application) rest = at;  // the whole line is the program's arguments
    *tail = rest == std::string::npos ? "" : line.substr(rest);
  }
  *program = application ? application : first;
  return !program->empty();
}

// The module file of a program by its executable's name or path; empty when the
// loader is to look for it by name.
std::string ModuleFileOf(const std::string& program, std::string* stem) {
  std::filesystem::path path(MapPath(program.c_str()));
  std::string name = path.filename().string();
  if (EndsWith(name, ".exe")) name.resize(name.size() - 4);
  *stem = name;
  if (EndsWith(name, ".so") || EndsWith(name, ".dll")) return path.string();
  if (!path.has_parent_path()) return {};
  for (const std::string& file : {"lib" + name + ".so", name + ".so"}) {
    std::filesystem::path candidate = path.parent_path() / file;
    if (std::filesystem::is_regular_file(candidate)) return candidate.string();
  }
  return "-";  // a path that names no program
}

void EndProcess(Process& process, HMODULE module, DWORD code) {
  // As at the end of a process: its windows and classes, then its modules.
  ws::EndThisThreadQueue();
  UnregisterModuleClasses(module);
  FreeLibrary(module);
  {
    std::lock_guard lock(g_mutex);
    g_running.erase(module);
  }
  ChangeWaitState([&] { process.End(code); });
}

DWORD ProgramThread(LPVOID parameter) {
  auto* start = static_cast<Start*>(parameter);
  std::shared_ptr<Process> process = start->process;
  SetThreadProcessId(process->id());
  t_mainOf = process.get();

  // The attaches of the program's libraries run in the program, as they would.
  HMODULE module = LoadLibraryA(start->module_path.c_str());
  WinMainFn winMain = nullptr;
  bool refused = false;
  if (!module) {
    start->error = GetLastError() == ERROR_MOD_NOT_FOUND ? ERROR_FILE_NOT_FOUND : GetLastError();
  } else if (!(winMain = reinterpret_cast<WinMainFn>(GetProcAddress(module, "WinMain")))) {
    start->error = ERROR_BAD_EXE_FORMAT;
  } else {
    std::lock_guard lock(g_mutex);
    refused = !g_running.insert(module).second;
    if (refused) start->error = ERROR_BUSY;
  }
  if (start->error != ERROR_SUCCESS) {
    if (module) FreeLibrary(module);
    t_mainOf = nullptr;
    SetEvent(start->loaded);  // `start` is the caller's from here on
    return 0;
  }
  std::string tail = start->command_tail;
  int show = start->show;
  SetEvent(start->loaded);

  int code = winMain(module, nullptr, tail.data(), show);
  t_mainOf = nullptr;
  EndProcess(*process, module, static_cast<DWORD>(code));
  return 0;
}

}  // namespace

void NoteInputIdle() {
  Process* process = t_mainOf;
  if (!process) return;
  t_mainOf = nullptr;  // only the first wait counts
  ChangeWaitState([&] { process->idle = true; });
}

}  // namespace platform

using namespace platform;

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                    DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION information) {
  Start start;
  std::string program, stem;
  if (!SplitCommandLine(applicationName, commandLine, &program, &start.command_tail)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  start.module_path = ModuleFileOf(program, &stem);
  if (start.module_path == "-") {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (start.module_path.empty()) start.module_path = stem;
  if (startup && (startup->dwFlags & STARTF_USESHOWWINDOW)) start.show = startup->wShowWindow;

  start.process = std::make_shared<Process>(NewProcessId());
  start.loaded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!start.loaded) return FALSE;
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, ProgramThread, &start, 0, &threadId);
  if (!thread) {
    CloseHandle(start.loaded);
    return FALSE;
  }
  WaitForSingleObject(start.loaded, INFINITE);
  CloseHandle(start.loaded);
  if (start.error != ERROR_SUCCESS) {
    CloseHandle(thread);
    SetLastError(start.error);
    return FALSE;
  }
  HANDLE process = InsertObject(start.process);
  if (information) {
    *information = PROCESS_INFORMATION{process, thread, start.process->id(), threadId};
  } else {
    CloseHandle(process);
    CloseHandle(thread);
  }
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE handle, LPDWORD exitCode) {
  auto process = LookupObjectAs<Process>(handle);
  if (!process || !exitCode) {
    SetLastError(process ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ChangeWaitState([&] { *exitCode = process->exit_code(); });
  return TRUE;
}

DWORD WaitForInputIdle(HANDLE handle, DWORD milliseconds) {
  auto process = LookupObjectAs<Process>(handle);
  if (!process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  Process& p = *process;
  ws::WindowSystemLockReleased released;
  return WaitForState([&] { return p.idle || p.IsSignalled(); }, milliseconds) ? 0 : WAIT_TIMEOUT;
}

DWORD GetCurrentProcessId() {
  DWORD id = ThreadProcessId();
  return id ? id : static_cast<DWORD>(::getpid());
}
