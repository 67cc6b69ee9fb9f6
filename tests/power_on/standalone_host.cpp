// A host that links the platform but not the virtual PC, as a TWAIN application
// that loads a data source links neither: loading the 700-series library must
// find a machine anyway, and the machine must outlive the library.
//
//   standalone_host <library> <boards expected>
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/module_loader.h"

namespace {

constexpr std::uint16_t kSdkVersion = 258;

bool Check(bool ok, const char* what) {
  if (!ok) std::fprintf(stderr, "standalone_host: %s\n", what);
  return ok;
}

bool SimLoaded() {
  void* sim = ::dlopen("libsim.so", RTLD_NOW | RTLD_NOLOAD);
  if (sim) ::dlclose(sim);
  return sim != nullptr;
}

// Loads the library, opens the boards and closes everything again.
bool OpenBoards(const char* library, int expected) {
  void* lib = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (!Check(lib != nullptr, "the library does not load")) return false;
  auto open = reinterpret_cast<std::int32_t (*)(std::uint16_t)>(::dlsym(lib, "RG7Open"));
  auto close = reinterpret_cast<std::int32_t (*)()>(::dlsym(lib, "RG7Close"));
  bool ok = Check(open && close, "RG7Open or RG7Close is missing");
  if (ok) {
    std::int32_t boards = open(kSdkVersion);
    if (boards != expected) std::fprintf(stderr, "standalone_host: RG7Open gave %d, not %d\n", boards, expected);
    ok = boards == expected;
    close();
  }
  ::dlclose(lib);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  int expected = std::atoi(argv[2]);
  bool ok = Check(!SimLoaded() && !platform::MachinePresent(), "a machine is there before any module attached") &&
            OpenBoards(argv[1], expected) &&
            Check(SimLoaded() && platform::MachinePresent(), "the machine went with the library") &&
            OpenBoards(argv[1], expected);
  return ok ? 0 : 1;
}
