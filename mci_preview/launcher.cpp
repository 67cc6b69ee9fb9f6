// rg7mciwin as a person starts it: the virtual PC powers on from its description,
// then the program runs as its process until it ends. An interrupt or termination
// signal asks the program to close, as ending a task does. The program's exit code
// is the launcher's.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "mci_preview/preview_messages.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "sim/power_on_by_itself.h"

int main() {
  // Every thread started from here on leaves the two signals to the one below.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  sim::PowerOn(sim::DescriptionForPowerOn());
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(self.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &process)) {
    std::fprintf(stderr, "rg7mciwin: the program did not start (error %u)\n", static_cast<unsigned>(GetLastError()));
    sim::PowerOff();
    return 1;
  }
  std::thread([signals, ended = process.hProcess] {
    int signal = 0;
    if (sigwait(&signals, &signal) != 0) return;
    // A signal that comes before the window exists closes it once it does.
    while (WaitForSingleObject(ended, 10) == WAIT_TIMEOUT)
      if (HWND window = FindWindowA(mci_preview::kPreviewClassName, mci_preview::kPreviewWindowName)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return;
      }
  }).detach();
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  sim::PowerOff();
  return static_cast<int>(code);
}
