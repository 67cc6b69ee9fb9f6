#include "platform/port_io.h"

#include <algorithm>
#include <mutex>
#include <shared_mutex>
#include <vector>

namespace platform {
namespace {

struct PortRange {
  WORD first;
  WORD count;
  PortIoDevice* device;
};

// Held shared while a device is called, so that a device unmapped is not called after.
std::shared_mutex g_mutex;
std::vector<PortRange> g_ranges;

const PortRange* FindLocked(unsigned port) {
  if (port > 0xFFFF) return nullptr;
  for (const PortRange& r : g_ranges)
    if (port >= r.first && port - r.first < r.count) return &r;
  return nullptr;
}

void WriteByteLocked(unsigned port, BYTE value) {
  if (const PortRange* r = FindLocked(port)) r->device->PortWrite(static_cast<WORD>(port), 1, value);
}

}  // namespace

void MapIoPorts(WORD first, WORD count, PortIoDevice* device) {
  std::unique_lock lock(g_mutex);
  g_ranges.push_back(PortRange{first, count, device});
}

void UnmapIoPorts(PortIoDevice* device) {
  std::unique_lock lock(g_mutex);
  g_ranges.erase(
      std::remove_if(g_ranges.begin(), g_ranges.end(), [&](const PortRange& r) { return r.device == device; }),
      g_ranges.end());
}

}  // namespace platform

int _inp(unsigned short port) {
  std::shared_lock lock(platform::g_mutex);
  const platform::PortRange* r = platform::FindLocked(port);
  return r ? static_cast<int>(r->device->PortRead(port, 1) & 0xFF) : 0xFF;
}

int _outp(unsigned short port, int value) {
  auto byte = static_cast<BYTE>(value);
  std::shared_lock lock(platform::g_mutex);
  platform::WriteByteLocked(port, byte);
  return byte;
}

unsigned short _outpw(unsigned short port, unsigned short value) {
  std::shared_lock lock(platform::g_mutex);
  const platform::PortRange* r = platform::FindLocked(port);
  // One device that holds both ports takes the word whole; otherwise each byte goes
  // where its port is.
  if (r && port + 1u - r->first < r->count) {
    r->device->PortWrite(port, 2, value);
  } else {
    platform::WriteByteLocked(port, static_cast<BYTE>(value));
    platform::WriteByteLocked(port + 1u, static_cast<BYTE>(value >> 8));
  }
  return value;
}
