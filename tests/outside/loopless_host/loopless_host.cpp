// A host without a message loop, as a Linux TWAIN application is one: it links the
// platform and nothing else of ours, makes a modeless dialog on its main thread as
// a data source does inside DS_Entry, and blocks on a semaphore that only the
// dialog's Save releases. Only the UI script that VPC_UI_SCRIPT names can press it.
//
//   loopless_host <seconds to wait>     0 once Save was clicked, 1 when nobody did
#include <semaphore.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/dialogs.h"
#include "platform/module_loader.h"
#include "platform/resources.h"

namespace {

constexpr int kDialog = 100;

constexpr char kScript[] = R"(
100 DIALOG 0, 0, 160, 60
STYLE WS_POPUP | WS_CAPTION | WS_VISIBLE
CAPTION "Loopless host"
BEGIN
  EDITTEXT 101, 5, 5, 100, 12
  DEFPUSHBUTTON "Save", IDOK, 5, 25, 40, 14
  PUSHBUTTON "Cancel", IDCANCEL, 50, 25, 40, 14
END
)";

sem_t g_saved;

INT_PTR DialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    sem_post(&g_saved);
    return TRUE;
  }
  return message == WM_COMMAND;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HMODULE self = GetModuleHandleA(nullptr);
  std::string error;
  if (!platform::RegisterModuleResources(self, kScript, &error)) {
    std::fprintf(stderr, "loopless_host: %s\n", error.c_str());
    return 2;
  }
  sem_init(&g_saved, 0, 0);
  HWND dialog = CreateDialogParamA(self, MAKEINTRESOURCEA(kDialog), nullptr, DialogProc, 0);
  if (!dialog) return 2;

  timespec deadline{};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += std::atoi(argv[1]);
  int waited;
  while ((waited = sem_timedwait(&g_saved, &deadline)) != 0 && errno == EINTR) {
  }
  DestroyWindow(dialog);
  platform::UnregisterModuleResources(self);
  return waited == 0 ? 0 : 1;
}
