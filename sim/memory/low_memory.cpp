#include "sim/memory/low_memory.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>

namespace sim {

void* MapBelow4G(std::size_t size, bool accessible) {
  int prot = accessible ? PROT_READ | PROT_WRITE : PROT_NONE;
  void* p = ::mmap(nullptr, size, prot, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (p == MAP_FAILED || reinterpret_cast<std::uintptr_t>(p) + size > 0x100000000ull) {
    std::fprintf(stderr, "virtual PC: no address space below 4 GB for %zu bytes\n", size);
    std::abort();
  }
  return p;
}

void UnmapBelow4G(void* base, std::size_t size) {
  if (base) ::munmap(base, size);
}

}  // namespace sim
