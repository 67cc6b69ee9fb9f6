// rg7_ntc.ds as a TWAIN source manager finds and loads it.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>
#include <link.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/module_entry.h"
#include "platform/resources.h"
#include "sim/machine.h"

namespace {

// The module handle of a loaded object: its base address.
HMODULE HandleOf(void* module) {
  link_map* map = nullptr;
  return ::dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 ? reinterpret_cast<HMODULE>(map->l_addr) : nullptr;
}

// The symbols a shared object defines for others: its dynamic symbol table.
std::vector<std::string> DefinedDynamicSymbols(const char* path) {
  std::ifstream f(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::vector<std::string> names;
  if (bytes.size() < sizeof(Elf64_Ehdr)) return names;
  const auto* elf = reinterpret_cast<const Elf64_Ehdr*>(bytes.data());
  const auto* sections = reinterpret_cast<const Elf64_Shdr*>(bytes.data() + elf->e_shoff);
  for (int i = 0; i < elf->e_shnum; ++i) {
    if (sections[i].sh_type != SHT_DYNSYM) continue;
    const char* strings = bytes.data() + sections[sections[i].sh_link].sh_offset;
    const auto* symbols = reinterpret_cast<const Elf64_Sym*>(bytes.data() + sections[i].sh_offset);
    for (std::size_t s = 0; s < sections[i].sh_size / sizeof(Elf64_Sym); ++s)
      if (symbols[s].st_shndx != SHN_UNDEF && ELF64_ST_BIND(symbols[s].st_info) != STB_LOCAL)
        names.push_back(strings + symbols[s].st_name);
  }
  return names;
}

TEST(Rg7NtcModule, ExportsItsEntryPointAlone) {
  EXPECT_EQ(DefinedDynamicSymbols(RG7_NTC_PATH), std::vector<std::string>{"DS_Entry"});
}

TEST(Rg7NtcModule, LoadsAsADataSourceAndUnloadsCleanly) {
  EXPECT_EQ(std::filesystem::path(RG7_NTC_PATH).filename(), "rg7_ntc.ds");
  sim::PowerOn();
  for (int load = 0; load < 2; ++load) {
    void* module = ::dlopen(RG7_NTC_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    EXPECT_FALSE(platform::ModuleRefused("rg7_ntc"));
    // The SDK library comes with it.
    void* sdk = ::dlopen("librg7appNT.so", RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(sdk, nullptr);
    if (sdk) ::dlclose(sdk);
    // Nothing of its own code is visible outside.
    EXPECT_EQ(::dlsym(module, "_ZN8twain_ds13g_ownIdentityE"), nullptr);
    EXPECT_EQ(::dlsym(module, "_Z9AfxGetAppv"), nullptr);

    HMODULE handle = HandleOf(module);
    char text[64] = {};
    EXPECT_GT(LoadStringA(handle, 9, text, sizeof text), 0);
    EXPECT_STREQ(text, "Zephlor/QSI/OBC/Kessra RG700 (WinNT)");
    EXPECT_TRUE(platform::FindDialogTemplate(handle, 102).has_value());

    EXPECT_EQ(::dlclose(module), 0);
    EXPECT_EQ(LoadStringA(handle, 9, text, sizeof text), 0);
    EXPECT_FALSE(platform::FindDialogTemplate(handle, 102).has_value());
  }
  sim::PowerOff();
}

}  // namespace
