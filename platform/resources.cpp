#include "platform/resources.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "platform/string_copy.h"

namespace platform {
namespace {

struct ModuleResources {
  std::map<LANGID, std::map<UINT, std::string>> strings;
  std::vector<DialogTemplate> dialogs;
};

std::mutex g_mutex;
std::map<HMODULE, ModuleResources> g_modules;
std::atomic<LANGID> g_uiLanguageOverride{0};

LANGID EnvironmentLanguage() {
  const char* value = std::getenv("VPC_UI_LANGUAGE");
  if (!value) return kLanguageEnglish;
  char* end = nullptr;
  unsigned long id = std::strtoul(value, &end, 10);
  return end != value && *end == '\0' && id > 0 && id <= 0xFFFF ? static_cast<LANGID>(id) : kLanguageEnglish;
}

const std::string* FindString(const ModuleResources& module, LANGID language, UINT id) {
  auto table = module.strings.find(language);
  if (table == module.strings.end()) return nullptr;
  auto s = table->second.find(id);
  return s == table->second.end() ? nullptr : &s->second;
}

}  // namespace

bool RegisterModuleResources(HMODULE module, std::string_view scriptText, std::string* error) {
  ResourceScriptResult parsed = ParseResourceScript(scriptText);
  if (!parsed.ok) {
    if (error) *error = "line " + std::to_string(parsed.error_line) + ": " + parsed.error;
    return false;
  }
  std::lock_guard lock(g_mutex);
  ModuleResources& resources = g_modules[module];
  // What an earlier script of the module defined stays as it was.
  for (StringTable& table : parsed.script.string_tables) resources.strings[table.language].merge(table.strings);
  for (DialogTemplate& dialog : parsed.script.dialogs) resources.dialogs.push_back(std::move(dialog));
  return true;
}

void UnregisterModuleResources(HMODULE module) {
  std::lock_guard lock(g_mutex);
  g_modules.erase(module);
}

std::optional<DialogTemplate> FindDialogTemplate(HMODULE module, int id) {
  LANGID ui = UiLanguage();
  std::lock_guard lock(g_mutex);
  auto found = g_modules.find(module);
  if (found == g_modules.end()) return std::nullopt;
  const DialogTemplate* english = nullptr;
  const DialogTemplate* any = nullptr;
  for (const DialogTemplate& d : found->second.dialogs) {
    if (d.id != id) continue;
    if (d.language == ui) return d;
    if (d.language == kLanguageEnglish && !english) english = &d;
    if (!any) any = &d;
  }
  if (english) return *english;
  if (any) return *any;
  return std::nullopt;
}

void SetUiLanguage(LANGID language) { g_uiLanguageOverride = language; }

LANGID UiLanguage() {
  LANGID language = g_uiLanguageOverride;
  return language ? language : EnvironmentLanguage();
}

}  // namespace platform

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int limit) {
  if (!buffer || limit <= 0) return 0;
  buffer[0] = '\0';
  LANGID ui = platform::UiLanguage();
  std::lock_guard lock(platform::g_mutex);
  auto module = platform::g_modules.find(instance);
  if (module == platform::g_modules.end()) return 0;
  const std::string* s = platform::FindString(module->second, ui, id);
  if (!s) s = platform::FindString(module->second, platform::kLanguageEnglish, id);
  if (!s) return 0;
  return static_cast<int>(platform::CopyTruncated(*s, buffer, static_cast<std::size_t>(limit)));
}

LANGID GetUserDefaultUILanguage() { return platform::UiLanguage(); }
