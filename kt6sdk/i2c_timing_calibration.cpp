// The serial bus's delay count: measured at open so that the timed family runs
// near the bus frequency of KT-600.INI whatever the machine's speed.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "kt6sdk/clocks.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/kt600_ini.h"
#include "kt6sdk/library_state.h"
#include "kt6sdk/register_access.h"
#include "kt6sdk/serial_bus.h"
#include "kt6sdk/serial_bus_owner.h"
#include "platform/clock.h"
#include "platform/priority_class.h"
#include "platform/profile.h"
#include "platform/virtual_memory.h"

namespace kt6 {
namespace {

constexpr std::uint32_t kLoopRounds = 4500000;
constexpr std::uint32_t kLineWrites = 150000;
// A count far beyond any real bus: a delay of this many rounds takes milliseconds.
constexpr double kMaxCounter = 1000000;

// Milliseconds of kLoopRounds rounds of the delay's loop, at least 1 so that a
// fast machine does not make the rate infinite.
long MeasureLoop() {
  long start = platform::clock();
  CountRounds(kLoopRounds);
  return std::max(1L, platform::clock() - start);
}

long MeasureLineWrites() {
  long start = platform::clock();
  for (std::uint32_t i = 0; i < kLineWrites; ++i) KT6I2CSetLines(0, 0);
  return platform::clock() - start;
}

void WriteKey(const char* key, const char* value) {
  if (g_state.ini_path[0] != '\0') WritePrivateProfileStringA("Other", key, value, g_state.ini_path);
}

}  // namespace

std::int32_t CalibrateI2CTiming(std::uint16_t mode) {
  Kt600Context context;
  context.chip_id = g_state.chip_id;
  context.board_type = g_state.board_type;
  double frequencyKhz = std::max<std::int32_t>(1, ReadKt600Key(Kt600Key::kI2CBusFrequency, context));

  HANDLE process = GetCurrentProcess();
  DWORD former = GetPriorityClass(process);
  SetPriorityClass(process, HIGH_PRIORITY_CLASS);
  long loopMs = MeasureLoop();
  long ioMs;
  {
    // The lines go back to what they were: a transaction after this one must find
    // the clock high, or its start is no start.
    SerialBusHold bus;
    std::uint32_t lines = KT6MMIORead32Raw(serialport::kRegister);
    ioMs = MeasureLineWrites();
    KT6MMIOWrite32Raw(serialport::kRegister, lines & (serialport::kEnable | serialport::kData | serialport::kClock));
  }
  if (former != 0) SetPriorityClass(process, former);

  double lineUs = double(ioMs) * 1000.0 / kLineWrites;
  double roundsPerUs = double(kLoopRounds) / 1000.0 / double(loopMs);
  DrvApplyTimingMargin(&lineUs, &roundsPerUs);
  double periodUs = 1000.0 / frequencyKhz;
  double counter = 3 * lineUs > periodUs ? 0 : std::trunc((periodUs - 3 * lineUs) / 2 * roundsPerUs);
  counter = std::isfinite(counter) ? std::clamp(counter, 0.0, kMaxCounter) : 0;
  g_state.i2c_timing_counter = static_cast<std::uint32_t>(counter);

  if (mode >= 2) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(counter));
    WriteKey("I2CTimingCounter", text);
  }
  if (mode == 3) WriteKey("AutoI2CTimingEnable", "0");
  return 0;
}

}  // namespace kt6
