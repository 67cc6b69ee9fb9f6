// Programs as processes of the virtual PC. A program is a module that exports
// WinMain; CreateProcessA loads it through the module loader and runs WinMain on a
// thread of its own, with its own message queue, inside the caller's OS process, so
// that the program shares the one machine (boards, display, windows, atoms) with
// its caller. The process ends when WinMain returns: its windows go, its module is
// unloaded (and with it what it alone loaded), then the process handle is signalled.
//
// A thread that waits for a process (WaitForSingleObject on its handle,
// WaitForInputIdle) gives up the window-system lock meanwhile, as one waiting for
// messages does: the program's window procedures need it.
//
// A program is found by its executable's name or path ("prog.exe", "prog", or a
// path to either): its module is libprog.so or prog.so in that directory, else the
// module of that name where the loader looks. One module runs as one process at a
// time, since its module-wide state is the process's.
#pragma once

#include "platform/sync.h"
#include "platform/user.h"
#include "platform/win_types.h"

constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// What a program module exports.
using WinMainFn = int (*)(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

extern "C" {
// The program named by applicationName, else by the first word of commandLine
// (quoted or not); WinMain gets the rest of the command line. Fails with
// ERROR_FILE_NOT_FOUND when no module answers, ERROR_DLL_INIT_FAILED when the
// module or a library it links refuses its attach, ERROR_BAD_EXE_FORMAT when the
// module has no WinMain, ERROR_BUSY while the same program is still running.
// Security, inheritance, flags, environment and directory are not used.
PLATFORM_EXPORT BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                                    LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,
                                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                                    LPPROCESS_INFORMATION information);
// STILL_ACTIVE while the program runs, then what WinMain returned.
PLATFORM_EXPORT BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// Until the program's main thread first waits for messages with none there, or the
// program ends, at most `milliseconds`: 0 then, WAIT_TIMEOUT, or WAIT_FAILED for a
// handle that is not a process.
PLATFORM_EXPORT DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds);
// A program's own id inside it; the OS process's id in the host's own threads.
PLATFORM_EXPORT DWORD GetCurrentProcessId();
}

namespace platform {
// The message loop calls this before the calling thread waits for messages.
void NoteInputIdle();
}  // namespace platform
