#include "platform/fault_injection.h"

#include <atomic>
#include <map>
#include <mutex>

namespace platform::faults {
namespace {

struct Fault {
  int skip = 0;
  int count = 0;
  DWORD error = ERROR_GEN_FAILURE;
  int calls = 0;
};

std::mutex g_mutex;
std::map<std::string, Fault, std::less<>> g_faults;
std::atomic<int> g_armed{0};

}  // namespace

void Arm(const std::string& call, int count, DWORD error, int skip) {
  std::lock_guard lock(g_mutex);
  g_faults[call] = Fault{skip, count, error, 0};
  g_armed.store(static_cast<int>(g_faults.size()));
}

void Disarm(const std::string& call) {
  std::lock_guard lock(g_mutex);
  g_faults.erase(call);
  g_armed.store(static_cast<int>(g_faults.size()));
}

void DisarmAll() {
  std::lock_guard lock(g_mutex);
  g_faults.clear();
  g_armed.store(0);
}

int Calls(const std::string& call) {
  std::lock_guard lock(g_mutex);
  auto it = g_faults.find(call);
  return it == g_faults.end() ? 0 : it->second.calls;
}

bool ShouldFail(const char* call, DWORD* error) {
  if (g_armed.load(std::memory_order_relaxed) == 0) return false;
  std::lock_guard lock(g_mutex);
  auto it = g_faults.find(std::string_view(call));
  if (it == g_faults.end()) return false;
  Fault& f = it->second;
  ++f.calls;
  if (f.skip > 0) {
    --f.skip;
    return false;
  }
  if (f.count <= 0) return false;
  --f.count;
  if (error) *error = f.error;
  return true;
}

}  // namespace platform::faults
