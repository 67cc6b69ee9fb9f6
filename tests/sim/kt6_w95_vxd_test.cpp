#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/device_namespace.h"
#include "platform/kernel_objects.h"
#include "platform/last_error.h"
#include "tests/sim/kt650_machine.h"
#include "tests/sim/kt6_vxd.h"

namespace {

namespace w95 = sim::kt6w95;
namespace kt650 = sim::kt650;
using sim::Kt6MapRecord;
using sim_test::Kt650;
using sim_test::PowerOnWith;
using Vxd = sim_test::Kt6Vxd;

std::uint32_t Linear(const BYTE* host) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(host)); }

TEST(Kt6W95Vxd, OpensOnlyAsADynamicLoadAndCountsLoadsAndUnloads) {
  sim::Kt6W95Vxd& vxd = sim::PowerOn().kt6_w95_vxd();
  EXPECT_EQ(CreateFileA("\\\\.\\KT6VXD95.VXD", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("\\\\.\\KT6VXD95.VXD", 0, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  {
    Vxd a, b;
    ASSERT_NE(a.h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(vxd.LoadCount(), 2);
    EXPECT_TRUE(vxd.IsOpen());
  }
  EXPECT_FALSE(vxd.IsOpen());
  EXPECT_TRUE(DeleteFileA("\\\\.\\KT6VXD95"));
  EXPECT_EQ(vxd.UnloadCount(), 1);

  sim::MachineDescription d = sim::MachineDescription::Default();
  d.kt6_w95_vxd = false;
  sim::PowerOn(d);
  EXPECT_EQ(sim_test::OpenKt6Vxd(), INVALID_HANDLE_VALUE);
  sim::PowerOff();
}

TEST(Kt6W95Vxd, MapsEachChipsWindowsToTheBoardsMemoryAndRegisters) {
  for (std::uint16_t chip : {kt650::kChip8A22, kt650::kChip8A01}) {
    SCOPED_TRACE(chip);
    sim::Kt650Desc other = Kt650(kt650::kChip8A22, 3, -1);
    other.device_number = 0x10;
    sim::Machine& m = PowerOnWith({other, Kt650(chip, chip == kt650::kChip8A22 ? 4 : 1)});
    sim::Kt650Board& b = m.kt650(1);
    sim::Kt650Window fb = b.FrameBufferAperture(), regs = b.RegisterWindow();
    Vxd v;
    // Whole windows, the record in and out in one buffer.
    Kt6MapRecord whole{fb.physical, 0, fb.size, regs.physical, 0, regs.size};
    ASSERT_EQ(v.Map(&whole), ERROR_SUCCESS);
    EXPECT_EQ(whole,
              (Kt6MapRecord{fb.physical, Linear(fb.host), fb.size, regs.physical, Linear(regs.host), regs.size}));
    // Parts of them, in and out apart.
    const Kt6MapRecord in{fb.physical + 0x1000, 0, 0x2000, regs.physical + 0x8000, 0, 0x1000};
    Kt6MapRecord out{};
    ASSERT_EQ(v.Call(w95::kMapMemory, &in, sizeof in, &out, sizeof out), ERROR_SUCCESS);
    EXPECT_EQ(out, (Kt6MapRecord{in.frame_buffer_physical, Linear(fb.host) + 0x1000, 0x2000, in.registers_physical,
                                 Linear(regs.host) + 0x8000, 0x1000}));
    // The linear addresses are the board's memory and, through the seam, its registers.
    auto* frameBuffer = reinterpret_cast<BYTE*>(std::uintptr_t{whole.frame_buffer_linear});
    frameBuffer[fb.size - 1] = 0xA7;
    EXPECT_EQ(b.frame_buffer().base()[fb.size - 1], 0xA7);
    WRITE_REGISTER_ULONG(
        reinterpret_cast<volatile ULONG*>(std::uintptr_t{whole.registers_linear} + kt650::kEngineStatus), 0x5);
    EXPECT_EQ(b.SourceEnables(), 0x5u);
    EXPECT_EQ(m.kt650(0).SourceEnables(), 0u);
    EXPECT_EQ(m.kt6_w95_vxd().Mappings().size(), 2u);
  }
  sim::PowerOff();
}

TEST(Kt6W95Vxd, RefusesRangesNoBoardHoldsWholeAndShortRecords) {
  sim::Machine& m = sim::PowerOn();
  sim::Kt650Window fb = m.kt650(0).FrameBufferAperture(), regs = m.kt650(0).RegisterWindow();
  Vxd v;
  for (const Kt6MapRecord& bad : {Kt6MapRecord{fb.physical, 0, 0, regs.physical, 0, regs.size},
                                  Kt6MapRecord{fb.physical, 0, fb.size, regs.physical, 0, 0},
                                  Kt6MapRecord{fb.physical, 0, fb.size + 1, regs.physical, 0, regs.size},
                                  Kt6MapRecord{fb.physical, 0, fb.size, regs.physical + 4, 0, regs.size},
                                  Kt6MapRecord{fb.physical - 0x1000, 0, 0x2000, regs.physical, 0, 4},
                                  Kt6MapRecord{regs.physical, 0, 4, fb.physical, 0, 4}}) {
    Kt6MapRecord r = bad;
    EXPECT_EQ(v.Map(&r), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(r, bad);
  }
  Kt6MapRecord good{fb.physical, 0, 4, regs.physical, 0, 4};
  EXPECT_EQ(v.Call(w95::kMapMemory, &good, sizeof good - 1, &good, sizeof good), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(v.Call(w95::kMapMemory, &good, sizeof good, &good, sizeof good - 1), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(m.kt6_w95_vxd().Mappings().empty());
  sim::PowerOff();
}

TEST(Kt6W95Vxd, UnmapDropsTheMatchingMappingAndAcceptsAnyWholeRecord) {
  sim::Machine& m = sim::PowerOn();
  sim::Kt650Window fb = m.kt650(0).FrameBufferAperture(), regs = m.kt650(0).RegisterWindow();
  Vxd v;
  Kt6MapRecord nothing{};
  EXPECT_EQ(v.Call(w95::kUnmapMemory, &nothing, sizeof nothing), ERROR_SUCCESS);
  EXPECT_EQ(v.Call(w95::kUnmapMemory, &nothing, sizeof nothing - 1), ERROR_INVALID_PARAMETER);
  Kt6MapRecord a{fb.physical, 0, fb.size, regs.physical, 0, regs.size};
  Kt6MapRecord b{fb.physical, 0, 0x1000, regs.physical, 0, regs.size};
  ASSERT_EQ(v.Map(&a), ERROR_SUCCESS);
  ASSERT_EQ(v.Map(&b), ERROR_SUCCESS);
  EXPECT_EQ(v.Call(w95::kUnmapMemory, &a, sizeof a), ERROR_SUCCESS);
  auto left = m.kt6_w95_vxd().Mappings();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0], b);
  sim::PowerOff();
}

TEST(Kt6W95Vxd, VersionInjectedFailuresAndUnknownRequests) {
  sim::Kt6W95Vxd& vxd = sim::PowerOn().kt6_w95_vxd();
  Vxd v;
  std::uint16_t version = 0;
  EXPECT_EQ(v.Call(w95::kVersion, nullptr, 0, &version, sizeof version), ERROR_SUCCESS);
  EXPECT_EQ(version, w95::kDefaultVersion);
  vxd.SetVersion(0x0300);
  EXPECT_EQ(v.Call(w95::kVersion, nullptr, 0, &version, sizeof version), ERROR_SUCCESS);
  EXPECT_EQ(version, 0x0300);
  EXPECT_EQ(v.Call(w95::kVersion, nullptr, 0, &version, 1), ERROR_INVALID_PARAMETER);

  vxd.FailRequest(w95::kVersion, 1, ERROR_GEN_FAILURE);
  EXPECT_EQ(v.Call(w95::kVersion, nullptr, 0, &version, sizeof version), ERROR_GEN_FAILURE);
  EXPECT_EQ(v.Call(w95::kVersion, nullptr, 0, &version, sizeof version), ERROR_SUCCESS);
  std::uint8_t buffer[64] = {};
  EXPECT_EQ(v.Call(999, buffer, sizeof buffer, buffer, sizeof buffer), ERROR_INVALID_FUNCTION);
  EXPECT_EQ(vxd.CountRequests(w95::kVersion), 5u);
  EXPECT_EQ(vxd.Requests().back().result, DWORD{ERROR_INVALID_FUNCTION});
  sim::PowerOff();
}

TEST(Kt6W95Vxd, TheSerialBusSectionIsOneThreadsAtATimeAndRecursive) {
  sim::Kt6W95Vxd& vxd = sim::PowerOn().kt6_w95_vxd();
  Vxd v;
  EXPECT_EQ(v.Call(w95::kSerialBusEnd), DWORD{ERROR_NOT_OWNER});
  ASSERT_EQ(v.Call(w95::kSerialBusBegin), ERROR_SUCCESS);
  ASSERT_EQ(v.Call(w95::kSerialBusBegin), ERROR_SUCCESS);
  DWORD elsewhere = ERROR_SUCCESS;
  std::thread([&] { elsewhere = v.Call(w95::kSerialBusEnd); }).join();
  EXPECT_EQ(elsewhere, DWORD{ERROR_NOT_OWNER});
  ASSERT_EQ(v.Call(w95::kSerialBusEnd), ERROR_SUCCESS);
  EXPECT_TRUE(vxd.SectionHeld());
  ASSERT_EQ(v.Call(w95::kSerialBusEnd), ERROR_SUCCESS);
  EXPECT_FALSE(vxd.SectionHeld());

  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  auto worker = [&] {
    for (int i = 0; i < 300; ++i) {
      ASSERT_EQ(v.Call(w95::kSerialBusBegin), ERROR_SUCCESS);
      if (inside.fetch_add(1) != 0) overlapped = true;
      std::this_thread::yield();
      inside.fetch_sub(1);
      ASSERT_EQ(v.Call(w95::kSerialBusEnd), ERROR_SUCCESS);
    }
  };
  std::thread a(worker), b(worker);
  a.join();
  b.join();
  EXPECT_FALSE(overlapped);
  EXPECT_FALSE(vxd.SectionHeld());
  sim::PowerOff();
}

TEST(Kt6W95Vxd, AThreadWaitingForTheSectionFailsWhenTheMachinePowersOff) {
  sim::PowerOn();
  Vxd v;
  ASSERT_EQ(v.Call(w95::kSerialBusBegin), ERROR_SUCCESS);
  std::atomic<DWORD> waited{ERROR_SUCCESS};
  std::thread waiter([&] { waited = v.Call(w95::kSerialBusBegin); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  sim::PowerOff();
  waiter.join();
  EXPECT_EQ(waited, DWORD{ERROR_IO_DEVICE});
}

}  // namespace
