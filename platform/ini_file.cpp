#include "platform/ini_file.h"

#include <strings.h>

#include <cctype>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// "[name]" of a section line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  std::size_t close = line.find(']');
  return Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> KeyName(std::string_view line) {
  line = Trim(line);
  std::size_t eq = line.find('=');
  if (line.empty() || line.front() == ';' || eq == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, eq));
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  Section* current = nullptr;
  while (!text.empty()) {
    std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (auto name = SectionName(line)) {
      current = nullptr;
      for (Section& s : ini.sections_)
        if (SameName(s.name, *name)) current = &s;
      if (!current) {
        ini.sections_.push_back(Section{std::string(*name), {}});
        current = &ini.sections_.back();
      }
      continue;
    }
    auto key = KeyName(line);
    if (!current || !key) continue;
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    // A value in one pair of double quotes is given without them.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    bool known = false;
    for (const Entry& e : current->entries)
      if (SameName(e.key, *key)) known = true;
    if (!known) current->entries.push_back(Entry{std::string(*key), std::string(value)});
  }
  return ini;
}

std::string ReadIniText(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

IniFile IniFile::Load(const std::string& hostPath) { return Parse(ReadIniText(hostPath)); }

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  for (const Section& s : sections_) {
    if (!SameName(s.name, section)) continue;
    for (const Entry& e : s.entries)
      if (SameName(e.key, key)) return e.value;
    return std::nullopt;
  }
  return std::nullopt;
}

std::string EditIniText(std::string_view text, std::string_view section, const char* key, const char* value) {
  // Lines keep their own terminators, so untouched lines come back byte for byte.
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t eol = text.find('\n', pos);
    std::size_t end = eol == std::string_view::npos ? text.size() : eol + 1;
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  std::string newline =
      text.find('\n') == std::string_view::npos || text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";

  std::size_t header = lines.size();
  for (std::size_t i = 0; i < lines.size() && header == lines.size(); ++i)
    if (auto name = SectionName(lines[i]); name && SameName(*name, section)) header = i;
  std::size_t bodyEnd = header;
  if (header < lines.size())
    for (bodyEnd = header + 1; bodyEnd < lines.size() && !SectionName(lines[bodyEnd]);) ++bodyEnd;

  std::string out;
  auto append = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) out += lines[i];
  };
  auto appendLine = [&](std::string_view line) {
    if (!out.empty() && out.back() != '\n') out += newline;
    out += line;
    out += newline;
  };

  if (header == lines.size()) {
    if (!key || !value) return std::string(text);
    out = text;
    if (!out.empty()) appendLine("");
    appendLine("[" + std::string(section) + "]");
    appendLine(std::string(key) + "=" + value);
    return out;
  }
  if (!key) {
    append(0, header);
    append(bodyEnd, lines.size());
    return out;
  }
  std::size_t found = bodyEnd;
  for (std::size_t i = header + 1; i < bodyEnd && found == bodyEnd; ++i)
    if (auto name = KeyName(lines[i]); name && SameName(*name, key)) found = i;
  if (found < bodyEnd) {
    append(0, found);
    if (value) appendLine(std::string(*KeyName(lines[found])) + "=" + value);
    append(found + 1, lines.size());
    return out;
  }
  if (!value) return std::string(text);
  // A new key goes after the section's last line that is not blank.
  std::size_t insertAt = bodyEnd;
  while (insertAt > header + 1 && Trim(lines[insertAt - 1]).empty()) --insertAt;
  append(0, insertAt);
  appendLine(std::string(key) + "=" + value);
  append(insertAt, lines.size());
  return out;
}

std::int64_t ParseProfileInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
      std::isxdigit(static_cast<unsigned char>(text[2]))) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint64_t value = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
      digit = static_cast<unsigned>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    else
      break;
    // Wraps like the 32-bit original rather than overflowing.
    value = (value * base + digit) & 0xFFFFFFFFu;
  }
  std::int64_t result = static_cast<std::int64_t>(value);
  return negative ? -result : result;
}

}  // namespace platform
