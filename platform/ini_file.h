// Parser of INI text: "[section]" lines and "key=value" lines, ';' comments.
// Section and key names compare without regard to case; the first occurrence wins.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace platform {

class PLATFORM_EXPORT IniFile {
 public:
  static IniFile Parse(std::string_view text);
  // Loads a host file; an unreadable file is an empty one.
  static IniFile Load(const std::string& hostPath);

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  // In the order of their first appearance.
  const std::vector<Section>& sections() const { return sections_; }

 private:
  std::vector<Section> sections_;
};

// The whole text of a host file; an unreadable file is an empty one.
PLATFORM_EXPORT std::string ReadIniText(const std::string& hostPath);

// The INI text with one change, the rest kept as it was (comments, order, line
// ends): key and value set, a new key added at its section's end, a section and
// the file's text created as needed; a null value removes the key, a null key the
// whole section.
PLATFORM_EXPORT std::string EditIniText(std::string_view text, std::string_view section, const char* key,
                                        const char* value);

// Integer value as the profile functions read it: optional sign, decimal or 0x hex,
// up to the first character that is no digit; no digits gives 0.
PLATFORM_EXPORT std::int64_t ParseProfileInteger(std::string_view text);

}  // namespace platform
