#include "sim/machine_file.h"

#include <strings.h>

#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "sim/kt650/kt650_layout.h"

namespace sim {
namespace {

constexpr std::uint32_t kPageBytes = 4096;
constexpr std::uint32_t kMinDisplayMemory = 64u << 10;
constexpr std::uint32_t kMaxDisplayMemory = 256u << 20;
constexpr std::uint32_t kMaxDesktopSide = 4096;
constexpr std::uint8_t kMaxDeviceNumber = 31;
constexpr std::uint8_t kFirstChipsetRegister = 0x40;
constexpr std::size_t kMaxListItems = 16;
constexpr std::uint32_t kMaxRefreshHz = 1000;
// How far from the primary a monitor may sit on the virtual screen.
constexpr std::int64_t kMaxMonitorOffset = 4 * kMaxDesktopSide;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::optional<std::uint64_t> Unsigned(std::string_view s) {
  unsigned base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty() || s.size() > 20) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : s) {
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return std::nullopt;
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

std::vector<std::string_view> Items(std::string_view list) {
  std::vector<std::string_view> items;
  if (Trim(list).empty()) return items;
  while (true) {
    std::size_t comma = list.find(',');
    items.push_back(Trim(list.substr(0, comma)));
    if (comma == std::string_view::npos) return items;
    list.remove_prefix(comma + 1);
  }
}

// A key's setter: false when the value is not one the key takes.
using Setter = std::function<bool(std::string_view)>;
using Fields = std::vector<std::pair<const char*, Setter>>;

template <class T>
Setter Number(T* field, std::uint64_t min = 0, std::uint64_t max = std::numeric_limits<T>::max()) {
  return [=](std::string_view s) {
    auto v = Unsigned(s);
    if (!v || *v < min || *v > max) return false;
    *field = static_cast<T>(*v);
    return true;
  };
}

Setter SignedNumber(LONG* field, std::int64_t limit) {
  return [=](std::string_view s) {
    bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    auto v = Unsigned(s);
    if (!v || *v > static_cast<std::uint64_t>(limit)) return false;
    *field = static_cast<LONG>(negative ? -static_cast<std::int64_t>(*v) : static_cast<std::int64_t>(*v));
    return true;
  };
}

Setter Flag(bool* field) {
  return [=](std::string_view s) {
    if (s != "0" && s != "1") return false;
    *field = s == "1";
    return true;
  };
}

Setter FourCCs(std::vector<DWORD>* field) {
  return [=](std::string_view s) {
    std::vector<DWORD> codes;
    for (std::string_view item : Items(s)) {
      if (item.size() != 4) return false;
      codes.push_back(MakeFourCC(item[0], item[1], item[2], item[3]));
    }
    if (codes.size() > kMaxListItems) return false;
    *field = std::move(codes);
    return true;
  };
}

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
std::optional<GUID> ParseGuid(std::string_view s) {
  constexpr std::size_t kLength = 38;
  if (s.size() != kLength || s.front() != '{' || s.back() != '}' || s[9] != '-' || s[14] != '-' || s[19] != '-' ||
      s[24] != '-')
    return std::nullopt;
  auto hex = [&](std::size_t at, std::size_t digits) { return Unsigned("0x" + std::string(s.substr(at, digits))); };
  auto data1 = hex(1, 8), data2 = hex(10, 4), data3 = hex(15, 4);
  if (!data1 || !data2 || !data3) return std::nullopt;
  GUID guid{static_cast<DWORD>(*data1), static_cast<WORD>(*data2), static_cast<WORD>(*data3), {}};
  constexpr std::size_t kByteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (std::size_t i = 0; i < 8; ++i) {
    auto byte = hex(kByteAt[i], 2);
    if (!byte) return std::nullopt;
    guid.Data4[i] = static_cast<BYTE>(*byte);
  }
  return guid;
}

Setter Guids(std::vector<GUID>* field) {
  return [=](std::string_view s) {
    std::vector<GUID> guids;
    for (std::string_view item : Items(s)) {
      auto guid = ParseGuid(item);
      if (!guid) return false;
      guids.push_back(*guid);
    }
    if (guids.size() > kMaxListItems) return false;
    *field = std::move(guids);
    return true;
  };
}

Setter ChipsetRegisters(std::vector<std::pair<std::uint8_t, std::uint8_t>>* field) {
  return [=](std::string_view s) {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> registers;
    for (std::string_view item : Items(s)) {
      std::size_t colon = item.find(':');
      if (colon == std::string_view::npos) return false;
      auto offset = Unsigned(Trim(item.substr(0, colon)));
      auto value = Unsigned(Trim(item.substr(colon + 1)));
      if (!offset || !value || *offset < kFirstChipsetRegister || *offset > 0xFF || *value > 0xFF) return false;
      registers.emplace_back(static_cast<std::uint8_t>(*offset), static_cast<std::uint8_t>(*value));
    }
    *field = std::move(registers);
    return true;
  };
}

Setter Camera(VideoSourceDesc* field) {
  return [=](std::string_view s) {
    if (SameName(s, "none"))
      *field = VideoSourceDesc{};
    else if (SameName(s, "ntsc"))
      *field = VideoSourceDesc{true, 0};
    else if (SameName(s, "pal"))
      *field = VideoSourceDesc{true, 1};
    else
      return false;
    return true;
  };
}

// A 650-series board's camera keys: inputN sets input N of every device that has
// it, <device>_inputN that of one device.
struct Kt650CameraKey {
  const char* name;
  std::optional<Kt650VideoDevice> device;  // none: every device
  int input;
};
constexpr Kt650VideoDevice kDecoderKey = Kt650VideoDevice::kDecoder;
constexpr Kt650VideoDevice kFrontEndKey = Kt650VideoDevice::kFrontEnd;
constexpr Kt650VideoDevice kInterfaceKey = Kt650VideoDevice::kCameraInterface;
const Kt650CameraKey kKt650CameraKeys[] = {
    {"input0", std::nullopt, 0},
    {"input1", std::nullopt, 1},
    {"input2", std::nullopt, 2},
    {"input3", std::nullopt, 3},
    {"input5", std::nullopt, 5},
    {"input6", std::nullopt, 6},
    {"input7", std::nullopt, 7},
    {"decoder_input0", kDecoderKey, 0},
    {"decoder_input1", kDecoderKey, 1},
    {"decoder_input2", kDecoderKey, 2},
    {"decoder_input3", kDecoderKey, 3},
    {"decoder_input5", kDecoderKey, 5},
    {"front_end_input0", kFrontEndKey, 0},
    {"front_end_input1", kFrontEndKey, 1},
    {"front_end_input2", kFrontEndKey, 2},
    {"front_end_input3", kFrontEndKey, 3},
    {"camera_interface_input0", kInterfaceKey, 0},
    {"camera_interface_input1", kInterfaceKey, 1},
    {"camera_interface_input2", kInterfaceKey, 2},
    {"camera_interface_input3", kInterfaceKey, 3},
    {"camera_interface_input6", kInterfaceKey, 6},
    {"camera_interface_input7", kInterfaceKey, 7},
};

Setter Kt650Camera(Kt650Cameras* cameras, const Kt650CameraKey& key) {
  return [=](std::string_view s) {
    VideoSourceDesc camera;
    if (!Camera(&camera)(s)) return false;
    if (key.device)
      cameras->Of(*key.device)[key.input] = camera;
    else
      cameras->PutEverywhere(key.input, camera);
    return true;
  };
}

// Whether the monitor exists is checked once the file is read.
Setter Monitor(int* field) {
  return [=](std::string_view s) {
    if (SameName(s, "none")) {
      *field = -1;
      return true;
    }
    auto v = Unsigned(s);
    if (!v || *v > kMaxDescribedMonitors) return false;
    *field = static_cast<int>(*v);
    return true;
  };
}

Setter Chip(std::uint16_t* field) {
  return [=](std::string_view s) {
    auto v = Unsigned(s);
    if (!v || *v > 0xFFFF || !Kt650ChipKnown(static_cast<std::uint16_t>(*v))) return false;
    *field = static_cast<std::uint16_t>(*v);
    return true;
  };
}

Fields DisplayFields(DisplayDesc& d) {
  return {{"width", Number(&d.width, 1, kMaxDesktopSide)},
          {"height", Number(&d.height, 1, kMaxDesktopSide)},
          {"bits_per_pixel",
           [&d](std::string_view s) {
             auto v = Unsigned(s);
             if (!v || (*v != 4 && *v != 8 && *v != 16 && *v != 24 && *v != 32)) return false;
             d.bits_per_pixel = static_cast<DWORD>(*v);
             return true;
           }},
          {"rgb565", Flag(&d.rgb565)},
          {"memory_bytes", Number(&d.memory_bytes, kMinDisplayMemory, kMaxDisplayMemory)},
          {"physical_base", Number(&d.physical_base)},
          {"pitch_alignment", Number(&d.pitch_alignment, 1, kPageBytes)},
          {"overlay", Flag(&d.overlay)},
          {"dest_overlay_key", Flag(&d.dest_overlay_key)},
          {"src_overlay_key", Flag(&d.src_overlay_key)},
          {"blt_stretch", Flag(&d.blt_stretch)},
          {"max_visible_overlays", Number(&d.max_visible_overlays)},
          {"align_boundary_dest", Number(&d.align_boundary_dest)},
          {"align_size_dest", Number(&d.align_size_dest)},
          {"align_size_src", Number(&d.align_size_src)},
          {"min_overlay_stretch", Number(&d.min_overlay_stretch)},
          {"max_overlay_stretch", Number(&d.max_overlay_stretch)},
          {"fourcc_codes", FourCCs(&d.fourcc_codes)}};
}

Fields MonitorFields(MonitorDesc& m) {
  Fields fields = DisplayFields(m.display);
  fields.emplace_back("left", SignedNumber(&m.left, kMaxMonitorOffset));
  fields.emplace_back("top", SignedNumber(&m.top, kMaxMonitorOffset));
  return fields;
}

Fields VideoPortFields(VideoPortDesc& p) {
  return {{"present", Flag(&p.present)},
          {"id", Number(&p.video_port_id)},
          {"caps", Number(&p.caps)},
          {"port_width", Number(&p.port_width)},
          {"max_width", Number(&p.max_width)},
          {"max_height", Number(&p.max_height)},
          {"connections", Guids(&p.connections)},
          {"refuse_flipping_target", Flag(&p.refuse_flipping_target)}};
}

Fields BridgeFields(HostBridgeDesc& b) {
  return {{"vendor", Number(&b.vendor)},
          {"device", Number(&b.device)},
          {"revision", Number(&b.revision)},
          {"bus", Number(&b.bus)},
          {"device_number", Number(&b.device_number, 0, kMaxDeviceNumber)},
          {"class_code", Number(&b.class_code, 0, 0xFFFFFF)},
          {"registers", ChipsetRegisters(&b.registers)}};
}

Fields Rg700Fields(Rg700Desc& b) {
  return {{"bus", Number(&b.bus)},
          {"device_number", Number(&b.device_number, 0, kMaxDeviceNumber)},
          {"subsystem_vendor", Number(&b.subsystem_vendor)},
          {"subsystem_id", Number(&b.subsystem_id)},
          {"interrupt_line", Number(&b.interrupt_line)},
          {"command", Number(&b.command)},
          {"bar0", Number(&b.bar0)},
          {"bt829a", Flag(&b.has_bt829a)},
          {"vpc32x5c", Flag(&b.has_vpc32x5c)},
          {"input0", Camera(&b.inputs[0])},
          {"input1", Camera(&b.inputs[1])},
          {"input2", Camera(&b.inputs[2])},
          {"input3", Camera(&b.inputs[3])},
          {"running", Flag(&b.timing.running)},
          {"field_period_us", Number(&b.timing.field_period_us)},
          {"lockstep", Flag(&b.timing.lockstep)}};
}

// Type and memory size depend on the chip, which may come later in the section:
// Kt650Fits checks them once the file is read.
Fields Kt650Fields(Kt650Desc& b) {
  Fields fields{{"bus", Number(&b.bus)},
                {"device_number", Number(&b.device_number, 0, kMaxDeviceNumber)},
                {"chip", Chip(&b.chip)},
                {"type", Number(&b.type, 0, kt650::kLastType)},
                {"revision", Number(&b.revision)},
                {"board_code", Number(&b.board_code)},
                {"sub_revision", Number(&b.sub_revision)},
                {"chip_revision", Number(&b.chip_revision)},
                {"memory_bytes", Number(&b.memory_bytes)},
                {"monitor", Monitor(&b.monitor)},
                {"interrupt_line", Number(&b.interrupt_line)},
                {"frame_buffer_base", Number(&b.frame_buffer_base)},
                {"register_base", Number(&b.register_base)},
                {"refresh_hz", Number(&b.refresh_hz, 1, kMaxRefreshHz)},
                {"running", Flag(&b.timing.running)},
                {"field_period_us", Number(&b.timing.field_period_us)},
                {"lockstep", Flag(&b.timing.lockstep)}};
  for (const Kt650CameraKey& key : kKt650CameraKeys) fields.emplace_back(key.name, Kt650Camera(&b.cameras, key));
  return fields;
}

Fields BiosFields(MachineDescription& m) { return {{"pci", Flag(&m.pci_bios)}}; }

Fields DriverFields(MachineDescription& m) {
  return {{"RG7DRIVE", Flag(&m.rg7_nt_driver)},
          {"RG700W95", Flag(&m.rg7_w95_vxd)},
          {"KT6DRIVE", Flag(&m.kt6_nt_driver)},
          {"KT6VXD95", Flag(&m.kt6_w95_vxd)}};
}

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

bool Apply(const platform::IniFile::Section& section, const Fields& fields, std::string* error) {
  for (const auto& entry : section.entries) {
    const Setter* setter = nullptr;
    for (const auto& [key, set] : fields)
      if (SameName(key, entry.key)) setter = &set;
    if (!setter) return Fail(error, "[" + section.name + "] unknown key " + entry.key);
    if (!(*setter)(entry.value))
      return Fail(error, "[" + section.name + "] " + entry.key + ": bad value \"" + entry.value + "\"");
  }
  return true;
}

// "bridge 2" -> 2 for the prefix "bridge"; nothing for another section.
std::optional<std::size_t> Index(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || !SameName(name.substr(0, prefix.size()), prefix)) return std::nullopt;
  std::string_view rest = name.substr(prefix.size());
  if (rest.front() != ' ') return std::nullopt;
  rest = Trim(rest);
  if (rest.empty() || rest.size() > 2 || rest.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  return static_cast<std::size_t>(*Unsigned(rest));
}

// The numbered sections must run first..first+n-1.
template <class T>
bool Consecutive(const std::vector<std::optional<T>>& items, const char* kind, int first, std::string* error) {
  bool gap = false;
  for (const auto& item : items) {
    if (!item) gap = true;
    if (item && gap)
      return Fail(error, std::string("[") + kind + " N] sections must be numbered from " + std::to_string(first) +
                             " without gaps");
  }
  return true;
}

// `name` is the section's, "[display]" or "[monitor N]".
bool DesktopFits(const DisplayDesc& d, const std::string& name, std::string* error) {
  if (d.pitch_alignment & (d.pitch_alignment - 1)) return Fail(error, name + " pitch_alignment: no power of two");
  if (d.memory_bytes % kPageBytes || d.physical_base % kPageBytes)
    return Fail(error, name + " memory_bytes and physical_base must be whole pages");
  if (std::uint64_t(d.physical_base) + d.memory_bytes > (std::uint64_t(1) << 32))
    return Fail(error, name + " memory ends above 4 GB");
  std::uint64_t pitch = (std::uint64_t(d.width) * d.bits_per_pixel + 7) / 8;
  pitch = (pitch + d.pitch_alignment - 1) / d.pitch_alignment * d.pitch_alignment;
  if (pitch * d.height > d.memory_bytes) return Fail(error, name + " the desktop does not fit the display memory");
  return true;
}

std::string Hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", v);
  return text;
}

// What a board's own section must agree on: type and memory size with the chip,
// the register base with the chip and its window.
bool Kt650Fits(std::size_t i, const Kt650Desc& b, std::string* error) {
  std::string name = "[kt650 " + std::to_string(i) + "] ";
  if (!Kt650TypeFits(b.chip, b.type)) return Fail(error, name + "type: does not fit chip " + Hex(b.chip));
  if (b.memory_bytes != 0 && !Kt650MemoryListed(b.chip, b.memory_bytes))
    return Fail(error, name + "memory_bytes: no size of chip " + Hex(b.chip));
  if (b.register_base != 0 && b.chip != kt650::kChip8A22)
    return Fail(error, name + "register_base: only chip 0x8A22 has a register BAR");
  if (b.register_base % Kt650RegisterWindowSize(b.chip))
    return Fail(error, name + "register_base: not aligned to the register window");
  return true;
}

// The frame-buffer BAR as resolved (a monitor's board takes its display's base):
// aligned to what it decodes and below 4 GB.
bool Kt650WindowsFit(const Kt650Layout& layout, std::string* error) {
  for (std::size_t i = 0; i < layout.boards.size(); ++i) {
    const Kt650Desc& b = layout.boards[i];
    std::uint32_t decoded = Kt650FrameBufferBarSize(b.chip);
    if (b.frame_buffer_base % decoded || std::uint64_t(b.frame_buffer_base) + decoded > (std::uint64_t(1) << 32))
      return Fail(error, "[kt650 " + std::to_string(i) + "] frame buffer at " + Hex(b.frame_buffer_base) +
                             ": not aligned to its " + Hex(decoded) + "-byte window below 4 GB");
  }
  return true;
}

}  // namespace

bool ParseMachineDescription(const std::string& text, MachineDescription* out, std::string* error) {
  MachineDescription m;
  std::vector<std::optional<HostBridgeDesc>> bridges(kMaxDescribedBridges);
  std::vector<std::optional<Rg700Desc>> boards(kMaxDescribedRg700Boards);
  std::vector<std::optional<Kt650Desc>> kt650Boards(kMaxDescribedKt650Boards);
  std::vector<std::optional<MonitorDesc>> monitors(kMaxDescribedMonitors);  // monitor N at N - 1
  platform::IniFile ini = platform::IniFile::Parse(text);
  for (const auto& section : ini.sections()) {
    const std::string& name = section.name;
    bool ok;
    if (SameName(name, "display")) {
      ok = Apply(section, DisplayFields(m.display), error);
    } else if (SameName(name, "video port")) {
      ok = Apply(section, VideoPortFields(m.display.video_port), error);
    } else if (SameName(name, "drivers")) {
      ok = Apply(section, DriverFields(m), error);
    } else if (SameName(name, "bios")) {
      ok = Apply(section, BiosFields(m), error);
    } else if (auto i = Index(name, "bridge"); i && *i < bridges.size()) {
      ok = Apply(section, BridgeFields(bridges[*i].emplace()), error);
    } else if (auto j = Index(name, "rg700"); j && *j < boards.size()) {
      ok = Apply(section, Rg700Fields(boards[*j].emplace()), error);
    } else if (auto k = Index(name, "kt650"); k && *k < kt650Boards.size()) {
      ok = Apply(section, Kt650Fields(kt650Boards[*k].emplace()), error);
    } else if (auto n = Index(name, "monitor"); n && *n >= 1 && *n <= monitors.size()) {
      ok = Apply(section, MonitorFields(monitors[*n - 1].emplace()), error);
    } else {
      return Fail(error, "unknown section [" + name + "]");
    }
    if (!ok) return false;
  }
  if (!Consecutive(bridges, "bridge", 0, error) || !Consecutive(boards, "rg700", 0, error) ||
      !Consecutive(kt650Boards, "kt650", 0, error) || !Consecutive(monitors, "monitor", 1, error))
    return false;
  for (auto& b : bridges)
    if (b) m.host_bridges.push_back(std::move(*b));
  for (auto& b : boards)
    if (b) m.rg700_boards.push_back(std::move(*b));
  for (auto& b : kt650Boards)
    if (b) m.kt650_boards.push_back(std::move(*b));
  for (auto& monitor : monitors)
    if (monitor) m.more_monitors.push_back(std::move(*monitor));
  for (std::size_t i = 0; i < m.kt650_boards.size(); ++i)
    if (!Kt650Fits(i, m.kt650_boards[i], error)) return false;
  // Each desktop must fit the memory the machine will give its display.
  Kt650Layout layout;
  if (!ResolveKt650Layout(MonitorDisplays(m), m.kt650_boards, &layout, error) || !Kt650WindowsFit(layout, error))
    return false;
  for (std::size_t k = 0; k < layout.monitors.size(); ++k)
    if (!DesktopFits(layout.monitors[k].display, k == 0 ? "[display]" : "[monitor " + std::to_string(k) + "]", error))
      return false;
  *out = std::move(m);
  return true;
}

}  // namespace sim
