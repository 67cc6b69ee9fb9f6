// Resource-script text: any bytes must parse without fault into records or an
// error with a line inside the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/resource_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::ResourceScriptResult result = platform::ParseResourceScript(text);
  if (result.ok) {
    if (!result.error.empty()) std::abort();
    for (const platform::DialogTemplate& d : result.script.dialogs)
      for (const platform::DialogItem& item : d.items)
        if (item.class_name.empty()) std::abort();
  } else if (result.error.empty() || result.error_line < 1 ||
             result.error_line > 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'))) {
    std::abort();
  }
  return 0;
}
