// Example: a TWAIN application on the default virtual PC finds the 700-series data
// sources through the test source manager, prints their identities, opens the
// Windows NT build on the board, asks it what it can do and closes it again.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "outside/twain_app/test_application.h"
#include "outside/twain_dsm/twain_dsm.h"
#include "platform/paths.h"
#include "sim/machine.h"

namespace {

std::string Text(const char* field) { return std::string(field, strnlen(field, sizeof(TW_STR32))); }

const char* ContainerName(TW_UINT16 conType) {
  switch (conType) {
    case TWON_ONEVALUE:
      return "one value";
    case TWON_ENUMERATION:
      return "enumeration";
    case TWON_ARRAY:
      return "array";
    default:
      return "container";
  }
}

}  // namespace

int main() {
  // The sources are installed side by side, as a source directory holds them.
  std::filesystem::path sources = std::filesystem::temp_directory_path() / "twain_sources_example";
  std::filesystem::remove_all(sources);
  std::filesystem::create_directories(sources);
  for (const char* path : {RG7_NTC_PATH, RG7_95V_PATH})
    std::filesystem::copy_file(path, sources / std::filesystem::path(path).filename());
  // The source keeps its settings file in the Windows directory: one of the example's own.
  std::filesystem::create_directories(sources / "windows");
  platform::SetWindowsDirectory((sources / "windows").string());
  sim::PowerOn();
  twain_dsm::SetSourcePath(sources.string());

  int failures = 0;
  {
    twain_app::TestApplication app("TWAIN sources example");
    if (app.OpenManager() != TWRC_SUCCESS) return 1;
    for (const TW_IDENTITY& identity : app.ListSources()) {
      std::printf("source \"%s\" by %s, %s, TWAIN %d.%d\n", Text(identity.ProductName).c_str(),
                  Text(identity.Manufacturer).c_str(), Text(identity.Version.Info).c_str(), identity.ProtocolMajor,
                  identity.ProtocolMinor);
      if (Text(identity.ProductName).find("Kessra") != std::string::npos) app.source() = identity;
    }

    if (app.OpenSource(Text(app.source().ProductName)) != TWRC_SUCCESS) return 1;
    std::printf("rg7_ntc opened on the RG-700\n");
    twain_app::CapabilityAnswer supported = app.GetCapability(CAP_SUPPORTEDCAPS);
    if (supported.rc != TWRC_SUCCESS || supported.container.size() < 6) return 1;
    TW_UINT32 count;
    std::memcpy(&count, supported.container.data() + 2, sizeof count);
    std::printf("rg7_ntc supports %u capabilities:\n", count);
    for (TW_UINT32 i = 0; i < count && 6 + 2 * i + 2 <= supported.container.size(); ++i) {
      TW_UINT16 cap;
      std::memcpy(&cap, supported.container.data() + 6 + 2 * i, sizeof cap);
      twain_app::CapabilityAnswer answer = app.GetCapability(cap);
      std::printf("  0x%04X: %s of %zu bytes:", cap, ContainerName(answer.con_type), answer.allocated);
      for (std::uint8_t byte : answer.container) std::printf(" %02X", byte);
      std::printf("\n");
      failures += answer.rc != TWRC_SUCCESS;
    }
    TW_UINT16 set = app.SetOneValue(ICAP_UNITS, TWTY_UINT16, TWUN_INCHES);
    std::printf("inches as units: %s, condition %u\n", set == TWRC_SUCCESS ? "taken" : "refused",
                app.SourceCondition());
    if (app.CloseSource() != TWRC_SUCCESS) return 1;
    std::printf("rg7_ntc closed\n");
  }
  sim::PowerOff();
  return failures == 0 ? 0 : 1;
}
