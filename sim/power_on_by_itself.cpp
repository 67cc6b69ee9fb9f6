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
// Far more than any machine description needs.
constexpr std::uintmax_t kMaxMachineFileBytes = 1u << 20;

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
  // A named file that is no regular file, or is larger than any machine, is not read at all.
  std::error_code ec;
  bool readable = std::filesystem::is_regular_file(path, ec);
  auto size = readable ? std::filesystem::file_size(path, ec) : 0;
  readable = readable && !ec && size <= kMaxMachineFileBytes;
  std::ifstream in;
  if (readable)
    in.open(path, std::ios::binary);
  else
    in.setstate(std::ios::failbit);
  std::ostringstream text;
  if (in) text << in.rdbuf();
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
