// What a test reads off a deliverable's files: the exports its public header
// declares, and whether the shared object binds its own calls inside itself.
#pragma once

#include <elf.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace testing_support {

// The function names a header declares with the export macro at the start of a line.
inline std::vector<std::string> DeclaredExports(const char* header, const std::string& macro) {
  std::ifstream in(header);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::regex declaration(R"(\n)" + macro + R"([^;(]*?\b(\w+)\()");
  std::vector<std::string> names;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), declaration); it != std::sregex_iterator(); ++it)
    names.push_back((*it)[1]);
  return names;
}

// Whether the shared object was linked -Bsymbolic: two builds of one library can
// then share a process, each calling its own functions.
inline bool BindsItsOwnCalls(const char* path) {
  std::ifstream f(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (bytes.size() < sizeof(Elf64_Ehdr)) return false;
  const auto* elf = reinterpret_cast<const Elf64_Ehdr*>(bytes.data());
  for (int i = 0; i < elf->e_phnum; ++i) {
    const auto* ph = reinterpret_cast<const Elf64_Phdr*>(bytes.data() + elf->e_phoff + i * elf->e_phentsize);
    if (ph->p_type != PT_DYNAMIC) continue;
    for (const auto* d = reinterpret_cast<const Elf64_Dyn*>(bytes.data() + ph->p_offset); d->d_tag != DT_NULL; ++d)
      if (d->d_tag == DT_SYMBOLIC || (d->d_tag == DT_FLAGS && (d->d_un.d_val & DF_SYMBOLIC))) return true;
  }
  return false;
}

}  // namespace testing_support
