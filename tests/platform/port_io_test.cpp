#include "platform/port_io.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Ports that keep their bytes and log every access as the platform hands it over.
class PortLatch : public platform::PortIoDevice {
 public:
  struct Access {
    WORD port;
    unsigned width;
    DWORD value;
    bool operator==(const Access&) const = default;
  };
  explicit PortLatch(WORD first) : first_(first) {}
  DWORD PortRead(WORD port, unsigned width) override {
    DWORD v = 0;
    for (unsigned i = 0; i < width; ++i) v |= DWORD{bytes[port + i - first_]} << (8 * i);
    return v;
  }
  void PortWrite(WORD port, unsigned width, DWORD value) override {
    writes.push_back({port, width, value});
    for (unsigned i = 0; i < width; ++i) bytes[port + i - first_] = static_cast<BYTE>(value >> (8 * i));
  }
  BYTE bytes[4] = {};
  std::vector<Access> writes;

 private:
  WORD first_;
};

TEST(PortIo, PortsWithoutADeviceReadAllOnesAndWritesReturnWhatWasWritten) {
  EXPECT_EQ(_inp(0x2F8), 0xFF);
  EXPECT_EQ(_outp(0x2F8, 0x1234), 0x34);
  EXPECT_EQ(_outpw(0x2F8, 0xBEEF), 0xBEEF);
}

TEST(PortIo, BytesAndWordsReachTheDeviceThatHoldsThePorts) {
  PortLatch a(0x100), b(0x104);
  platform::MapIoPorts(0x100, 4, &a);
  platform::MapIoPorts(0x104, 4, &b);
  EXPECT_EQ(_outp(0x101, 0x1A5), 0xA5);
  EXPECT_EQ(_inp(0x101), 0xA5);
  // A word inside one device is one access; one across two devices is a byte each.
  EXPECT_EQ(_outpw(0x102, 0x2211), 0x2211);
  EXPECT_EQ(_outpw(0x103, 0x4433), 0x4433);
  EXPECT_EQ((std::vector<PortLatch::Access>{{0x101, 1, 0xA5}, {0x102, 2, 0x2211}, {0x103, 1, 0x33}}), a.writes);
  EXPECT_EQ((std::vector<PortLatch::Access>{{0x104, 1, 0x44}}), b.writes);
  EXPECT_EQ(_inp(0x102), 0x11);
  EXPECT_EQ(_inp(0x104), 0x44);

  platform::UnmapIoPorts(&a);
  EXPECT_EQ(_inp(0x101), 0xFF);
  _outp(0x101, 0);
  EXPECT_EQ(a.writes.size(), 3u);
  EXPECT_EQ(_inp(0x104), 0x44);
  platform::UnmapIoPorts(&b);
  EXPECT_EQ(_inp(0x104), 0xFF);
}

}  // namespace
