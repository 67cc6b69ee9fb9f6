// UI script lines as a host's environment names them: every line is read into a
// command, none may crash the reader or come out both a command and an error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ui_script_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    platform::UiScriptLine line = platform::ParseUiScriptLine(text.substr(start, end - start));
    if (!line.error.empty() && line.command != platform::UiCommand::kNone) std::abort();
    if (line.command == platform::UiCommand::kSleep && line.number < 0) std::abort();
    start = end + 1;
  }
  return 0;
}
