#include "platform/ui_script_line.h"

#include <strings.h>

#include <charconv>
#include <optional>
#include <utility>

#include "platform/user.h"

namespace platform {
namespace {

std::optional<int> NumberOf(const std::string& text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::string Trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

UiScriptLine Failed(std::string error) {
  UiScriptLine line;
  line.error = std::move(error);
  return line;
}

UiScriptLine Command(UiCommand command, std::string text, int number = 0) {
  UiScriptLine line;
  line.command = command;
  line.text = std::move(text);
  line.number = number;
  return line;
}

}  // namespace

UINT NamedKey(const std::string& name) {
  static const std::pair<const char*, UINT> kNamed[] = {{"Enter", VK_RETURN}, {"Escape", VK_ESCAPE}, {"Tab", VK_TAB},
                                                        {"Left", VK_LEFT},    {"Right", VK_RIGHT},   {"Up", VK_UP},
                                                        {"Down", VK_DOWN},    {"Space", VK_SPACE}};
  for (const auto& [named, key] : kNamed)
    if (::strcasecmp(name.c_str(), named) == 0) return key;
  return 0;
}

UiScriptLine ParseUiScriptLine(const std::string& raw) {
  std::string line = Trimmed(raw);
  if (line.empty() || line[0] == '#') return {};
  std::size_t space = line.find_first_of(" \t");
  std::string command = line.substr(0, space);
  std::string argument = space == std::string::npos ? std::string() : Trimmed(line.substr(space));
  if (command == "wait")
    return argument.empty() ? Failed("a window title is missing") : Command(UiCommand::kWait, argument);
  if (command == "sleep") {
    std::optional<int> ms = NumberOf(argument);
    if (!ms || *ms < 0) return Failed("bad milliseconds");
    return Command(UiCommand::kSleep, {}, *ms);
  }
  if (command == "click")
    return argument.empty() ? Failed("a button caption is missing") : Command(UiCommand::kClick, argument);
  if (command == "key") {
    // A single character is looked up on the keyboard when the line runs.
    if (argument.size() != 1 && NamedKey(argument) == 0) return Failed("unknown key");
    return Command(UiCommand::kKey, argument);
  }
  if (command == "text") {
    std::size_t end = argument.find(' ');
    std::optional<int> id = NumberOf(argument.substr(0, end));
    if (!id) return Failed("bad control id");
    return Command(UiCommand::kText, end == std::string::npos ? std::string() : argument.substr(end + 1), *id);
  }
  if (command == "screen")
    return argument.empty() ? Failed("a file name is missing") : Command(UiCommand::kScreen, argument);
  return Failed("unknown command");
}

}  // namespace platform
