// Resource scripts: the small subset of the resource-compiler language that the
// modules write their string tables and dialog templates in, parsed into plain
// records. Styles are resolved to numbers here, so that building a dialog needs
// nothing of the script's text.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

using LANGID = WORD;

constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD LANG_RUSSIAN = 0x19;
constexpr WORD SUBLANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD SUBLANG_ENGLISH_US = 0x01;
constexpr LANGID MAKELANGID(WORD primary, WORD sub) { return static_cast<LANGID>(sub << 10 | primary); }

namespace platform {

constexpr LANGID kLanguageEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);  // 1033
constexpr LANGID kLanguageRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);     // 1049

// One control of a template; position and size in dialog units.
struct DialogItem {
  std::string class_name;
  std::string text;
  int id = 0;
  DWORD style = 0;
  DWORD ex_style = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
};

struct DialogTemplate {
  int id = 0;
  LANGID language = kLanguageEnglish;
  DWORD style = 0;
  DWORD ex_style = 0;
  std::string caption;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  int font_size = 0;  // 0: no FONT statement
  std::string font;
  std::vector<DialogItem> items;
};

struct StringTable {
  LANGID language = kLanguageEnglish;
  std::map<UINT, std::string> strings;
};

struct ResourceScript {
  std::vector<StringTable> string_tables;  // one per language, in order of appearance
  std::vector<DialogTemplate> dialogs;
};

struct ResourceScriptResult {
  bool ok = false;
  ResourceScript script;  // empty unless ok
  int error_line = 0;     // 1-based line of the first error
  std::string error;
};

// Resources without a LANGUAGE statement before them are English. Any text gives
// a result; a script with an error gives no records at all.
PLATFORM_EXPORT ResourceScriptResult ParseResourceScript(std::string_view text);

}  // namespace platform
