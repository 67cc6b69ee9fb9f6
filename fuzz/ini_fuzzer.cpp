// INI text from outside: any bytes must parse without fault, and lookups and
// integer reads on the result must stay inside it; a value written into the text
// must read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::IniFile ini = platform::IniFile::Parse(text);
  for (const char* section : {"RG-700", "Zephlor", "TritonVX", ""})
    for (const char* key : {"LatencyTimer", "RG-700", "Flag1", ""})
      if (auto v = ini.Find(section, key)) platform::ParseProfileInteger(*v);
  platform::ParseProfileInteger(text);

  std::string written = platform::EditIniText(text, "Format", "Width", "640");
  if (platform::IniFile::Parse(written).Find("format", "width") != "640") std::abort();
  platform::EditIniText(written, "Format", "Width", nullptr);
  platform::EditIniText(text, "Format", nullptr, nullptr);
  return 0;
}
