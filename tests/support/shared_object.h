// What a test reads off a deliverable's files: the exports its public header
// declares, the names the shared object exports, and whether it binds its own
// calls inside itself.
#pragma once

#include <elf.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
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

// The names of the functions and objects the shared object defines and exports,
// from its dynamic symbol table.
inline std::set<std::string> ExportedNames(const char* path) {
  std::ifstream f(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::set<std::string> names;
  if (bytes.size() < sizeof(Elf64_Ehdr)) return names;
  const auto* elf = reinterpret_cast<const Elf64_Ehdr*>(bytes.data());
  const auto* sections = reinterpret_cast<const Elf64_Shdr*>(bytes.data() + elf->e_shoff);
  for (int i = 0; i < elf->e_shnum; ++i) {
    if (sections[i].sh_type != SHT_DYNSYM) continue;
    const char* strings = bytes.data() + sections[sections[i].sh_link].sh_offset;
    const auto* symbols = reinterpret_cast<const Elf64_Sym*>(bytes.data() + sections[i].sh_offset);
    for (std::size_t s = 0; s < sections[i].sh_size / sizeof(Elf64_Sym); ++s) {
      const Elf64_Sym& sym = symbols[s];
      bool global = ELF64_ST_BIND(sym.st_info) != STB_LOCAL;
      if (global && sym.st_shndx != SHN_UNDEF && sym.st_name != 0) names.insert(strings + sym.st_name);
    }
  }
  return names;
}

}  // namespace testing_support
