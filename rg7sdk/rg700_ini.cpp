#include "rg7sdk/rg700_ini.h"

#include <string>

#include "platform/profile.h"

namespace rg7 {
namespace {

Rg700Settings g_settings;

std::int32_t ReadInt(const char* section, const char* key, std::int32_t def, const std::string& path) {
  return static_cast<std::int32_t>(GetPrivateProfileIntA(section, key, def, path.c_str()));
}

}  // namespace

Rg700Settings& IniSettings() { return g_settings; }

void ReadRg700Ini() {
  char dir[260];
  GetProfileStringA("Zephlor", "RG-700", ".", dir, sizeof dir);
  std::string path = std::string(dir) + "\\rg-700.ini";
  Rg700Settings& s = g_settings;
  s.four_gw_pro = ReadInt("Special", "4GWPro", 0, path);
  s.latency_timer = ReadInt("RG-700", "LatencyTimer", 0, path);
  s.bus_master = ReadInt("RG-700", "BusMaster", 0, path);
  s.default_standard_camera = ReadInt("RG-700", "Default Standard Camera", 0, path);
  s.vpe_sync_delay = ReadInt("RG-700", "VPE Sync Delay", 2, path);
  s.triton_flag1 = ReadInt("TritonVX", "Flag1", -1, path);
  s.triton_flag2 = ReadInt("TritonVX", "Flag2", -1, path);
}

void ResetRg700Ini() { g_settings = Rg700Settings{}; }

}  // namespace rg7
