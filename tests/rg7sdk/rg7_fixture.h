// A virtual PC with RG-700 boards, a Windows directory holding WIN.INI and
// rg-700.ini, and the library attached as the loader attaches it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/fault_injection.h"
#include "platform/paths.h"
#include "rg7sdk/library_entry.h"
#include "sim/machine.h"
#include "sim/rg700/rg700_video_dma.h"
#include "tests/support/temp_dir.h"

namespace rg7_testing {

class Rg7Test : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetWindowsDirectory(dir_.path());
    dir_.Write("WIN.INI", "[Zephlor]\nRG-700=" + dir_.path() + "\\cfg\n");
  }
  void TearDown() override {
    if (attached_) rg7::LibraryDetach();
    // A DMA transfer into memory that nothing pinned fails the test.
    if (sim::Machine* m = sim::CurrentMachine())
      for (std::size_t i = 0; i < m->rg700_count(); ++i)
        for (const std::string& e : m->rg700(i).video_dma().Errors()) ADD_FAILURE() << "board " << i << ": " << e;
    platform::faults::DisarmAll();
    sim::PowerOff();
  }

  // Powers the machine on and attaches the library.
  sim::Machine& Boot(const sim::MachineDescription& desc = sim::MachineDescription::Default()) {
    sim::Machine& m = sim::PowerOn(desc);
    rg7::LibraryAttach();
    attached_ = true;
    return m;
  }
  void WriteIni(const std::string& text) { dir_.Write("cfg/rg-700.ini", text); }

  testing_support::TempDir dir_;
  bool attached_ = false;
};

inline sim::HostBridgeDesc Bridge(std::uint16_t vendor, std::uint16_t device, std::uint8_t revision = 0) {
  sim::HostBridgeDesc b;
  b.vendor = vendor;
  b.device = device;
  b.revision = revision;
  return b;
}

inline sim::Rg700Desc Board(std::uint8_t deviceNumber, std::uint16_t subsystemVendor = 0x7A1C) {
  sim::Rg700Desc b;
  b.device_number = deviceNumber;
  b.subsystem_vendor = subsystemVendor;
  return b;
}

}  // namespace rg7_testing
