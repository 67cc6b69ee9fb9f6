#include "sim/power_on_by_itself.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "sim/machine_file.h"

namespace sim {
namespace {

constexpr const char* kMachineVariable = "VPC_MACHINE";
constexpr const char* kMachineFile = "machine.ini";

}  // namespace

MachineDescription DescriptionForPowerOn() {
  std::string path;
  if (const char* named = std::getenv(kMachineVariable); named && *named) {
    path = named;
  } else {
    std::error_code ec;
    path = platform::MapPath((platform::WindowsDirectory() + "/" + kMachineFile).c_str());
    if (!std::filesystem::is_regular_file(path, ec)) return MachineDescription::Default();
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  MachineDescription desc;
  std::string error = in ? "" : "cannot be read";
  if (in && ParseMachineDescription(text.str(), &desc, &error)) return desc;
  std::fprintf(stderr, "virtual PC: %s: %s; the default machine powers on\n", path.c_str(), error.c_str());
  return MachineDescription::Default();
}

}  // namespace sim

// The platform calls this one attach at a time.
void VpcPowerOnByItself() {
  if (!sim::CurrentMachine()) sim::PowerOn(sim::DescriptionForPowerOn());
}
