#include "platform/clock.h"

#include <chrono>
#include <thread>

DWORD GetTickCount() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace platform {
namespace {
const std::chrono::steady_clock::time_point g_processStart = std::chrono::steady_clock::now();
}  // namespace

long clock() {
  using namespace std::chrono;
  return static_cast<long>(duration_cast<milliseconds>(steady_clock::now() - g_processStart).count());
}

}  // namespace platform

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
