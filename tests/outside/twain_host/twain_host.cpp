// A TWAIN application as a Linux host writes one: no Windows message loop of
// ours. It opens the first source through the source manager, registers for its
// notifications, enables it with its user interface and blocks until the source
// announces an image, takes it by native transfer and closes everything. Exit
// codes: 0 the image came, 2 no notification within the time, 1 any other failure.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "outside/twain_dsm/twain_dsm.h"

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
TW_UINT16 g_notification = MSG_NULL;

TW_UINT16 Notified(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16 message, TW_MEMREF) {
  {
    std::lock_guard lock(g_mutex);
    g_notification = message;
  }
  g_changed.notify_all();
  return TWRC_SUCCESS;
}

int Fail(const char* step) {
  std::fprintf(stderr, "twain host: %s failed\n", step);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Fail("arguments (sources, seconds)");
  twain_dsm::SetSourcePath(argv[1]);
  int seconds = std::atoi(argv[2]);

  TW_IDENTITY app{};
  std::strcpy(app.ProductName, "Loopless TWAIN host");
  app.ProtocolMajor = 2;
  app.SupportedGroups = DG_CONTROL | DG_IMAGE;
  TW_IDENTITY source{};
  TW_HANDLE noWindow = nullptr;
  if (DSM_Entry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &noWindow) != TWRC_SUCCESS) return Fail("open manager");
  if (DSM_Entry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &source) != TWRC_SUCCESS) return Fail("list");
  if (DSM_Entry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source) != TWRC_SUCCESS) return Fail("open");
  TW_CALLBACK callback{reinterpret_cast<TW_MEMREF>(&Notified), 0, 0};
  if (DSM_Entry(&app, &source, DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback) != TWRC_SUCCESS)
    return Fail("register callback");
  TW_USERINTERFACE ui{1, 0, nullptr};
  if (DSM_Entry(&app, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS) return Fail("enable");

  // Only somebody pressing Save in the source's dialog ends this wait.
  bool announced;
  {
    std::unique_lock lock(g_mutex);
    announced = g_changed.wait_for(lock, std::chrono::seconds(seconds), [] { return g_notification != MSG_NULL; });
    if (announced && g_notification != MSG_XFERREADY) return Fail("notification");
  }
  if (!announced) {
    // Nothing came: the source is closed all the same before the host ends.
    DSM_Entry(&app, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    DSM_Entry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source);
    DSM_Entry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &noWindow);
    return 2;
  }
  TW_HANDLE dib = nullptr;
  if (DSM_Entry(&app, &source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib) != TWRC_XFERDONE || !dib)
    return Fail("native transfer");
  std::free(dib);
  TW_PENDINGXFERS pending{};
  if (DSM_Entry(&app, &source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) != TWRC_SUCCESS)
    return Fail("end transfer");
  if (DSM_Entry(&app, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui) != TWRC_SUCCESS) return Fail("disable");
  if (DSM_Entry(&app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source) != TWRC_SUCCESS) return Fail("close");
  if (DSM_Entry(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &noWindow) != TWRC_SUCCESS)
    return Fail("close manager");
  return 0;
}
