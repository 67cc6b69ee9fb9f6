// The Windows 95 interrupt path: one event the VxD sets from ring 0, one service
// thread that ends each interrupt with the VxD's request 1007.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/clock.h"
#include "platform/kernel_objects.h"
#include "platform/module_loader.h"
#include "platform/sync.h"
#include "rg7sdk/board_setup.h"
#include "rg7sdk/rg7sdk.h"
#include "tests/rg7sdk/interrupt_bits.h"
#include "tests/rg7sdk/rg7_fixture.h"

namespace {

using namespace sim::rg7w95;
using rg7_testing::kDmaDone;

std::atomic<int> g_calls{0};
std::uint32_t Count(std::uint32_t, std::uintptr_t) {
  g_calls.fetch_add(1);
  return 0;
}
std::uint32_t DisconnectsItself(std::uint32_t, std::uintptr_t) {
  g_calls.fetch_add(1);
  RG7DisconnectInterruptCallback(0, DisconnectsItself);
  return 0;
}

class InterruptThread95Test : public rg7_testing::Rg7Test {
 protected:
  void SetUp() override {
    Rg7Test::SetUp();
    g_calls.store(0);
    machine_ = &Boot();
  }
  void TearDown() override {
    platform::RestoreKernelExports();
    Rg7Test::TearDown();
  }
  sim::Rg7W95Vxd& vxd() { return machine_->rg7_w95_vxd(); }
  bool Registered() {
    auto r = vxd().Registration();
    return r && r->ring0_event != 0;
  }
  // Until `n` callbacks have run, each interrupt raised after the last has been served.
  bool RaiseUntil(int n) {
    for (int i = 0; i < 200 && g_calls.load() < n; ++i) {
      machine_->rg700(0).RaiseInterrupt(rg7_testing::kBoardDmaDone);
      if (!machine_->WaitUntilInterruptsServed()) return false;
    }
    return g_calls.load() >= n;
  }
  sim::Machine* machine_ = nullptr;
};

TEST_F(InterruptThread95Test, TheFirstOpenRegistersOneEventForTheThread) {
  ASSERT_EQ(RG7Open(258), 1);
  ASSERT_EQ(vxd().CountRequests(kRegisterIrqEvent), 1u);
  auto r = vxd().Registration();
  ASSERT_TRUE(r.has_value());
  EXPECT_NE(r->ring0_event, 0u);
  EXPECT_NE(r->win32_event, 0u);
  EXPECT_NE(r->thread, 0u);
  EXPECT_EQ(r->registered, 1u);
  EXPECT_EQ(r->line, machine_->rg700(0).desc().interrupt_line);
  EXPECT_EQ(r->slot, 0);
  EXPECT_TRUE(vxd().EventsRegistered(0));
  // Another connection shares the thread.
  ASSERT_EQ(RG7ConnectInterruptToCallback(1, Count, kDmaDone, 0), 0);
  EXPECT_EQ(vxd().CountRequests(kRegisterIrqEvent), 1u);
}

TEST_F(InterruptThread95Test, EachInterruptEndsWithTheVxdsEndOfInterrupt) {
  ASSERT_EQ(RG7Open(258), 1);
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Count, kDmaDone, 0), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(Count)), 0);
  // While the VxD reports more pending, the thread dispatches again.
  vxd().FailRequest(kEndOfInterrupt, 3, ERROR_BUSY);
  ASSERT_TRUE(RaiseUntil(1));
  // The callback runs before the thread's end-of-interrupt retries: wait for them.
  for (int i = 0; i < 2000 && vxd().CountRequests(kEndOfInterrupt) < 4; ++i) Sleep(1);
  EXPECT_GE(vxd().CountRequests(kEndOfInterrupt), 4u);
}

TEST_F(InterruptThread95Test, DisconnectingTheLastCallbackUnregistersAndEndsTheThread) {
  ASSERT_EQ(RG7Open(258), 1);
  std::size_t open = platform::OpenHandleCount();
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Count, kDmaDone, 0), 0);
  ASSERT_EQ(RG7DisconnectInterruptCallback(0, Count), 0);
  EXPECT_TRUE(Registered());  // the open's own connection remains
  ASSERT_EQ(RG7DisconnectInterruptCallback(0, rg7::NullInterruptCallback), 0);
  EXPECT_EQ(vxd().CountRequests(kRegisterIrqEvent), 2u);
  EXPECT_FALSE(Registered());
  EXPECT_EQ(vxd().Registration()->registered, 0u);
  // The thread was waited for before its handle and event were closed.
  EXPECT_EQ(platform::OpenHandleCount(), open - 2);

  // A later connection starts a thread again.
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Count, kDmaDone, 0), 0);
  EXPECT_TRUE(Registered());
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(Count)), 0);
  EXPECT_TRUE(RaiseUntil(1));
}

TEST_F(InterruptThread95Test, ACallbackDisconnectingTheLastConnectionStopsItsOwnThread) {
  ASSERT_EQ(RG7Open(258), 1);
  ASSERT_EQ(RG7DisconnectInterruptCallback(0, rg7::NullInterruptCallback), 0);
  std::size_t idle = platform::OpenHandleCount();
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, DisconnectsItself, kDmaDone, 0), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(DisconnectsItself)), 0);
  machine_->rg700(0).RaiseInterrupt(rg7_testing::kBoardDmaDone);
  for (int i = 0; i < 2000 && platform::OpenHandleCount() != idle; ++i) Sleep(1);
  EXPECT_EQ(platform::OpenHandleCount(), idle);
  EXPECT_FALSE(Registered());
  EXPECT_EQ(g_calls.load(), 1);
}

TEST_F(InterruptThread95Test, WithoutOpenVxDHandleNoThreadStarts) {
  platform::RemoveKernelExport("OpenVxDHandle");
  std::size_t handles = platform::OpenHandleCount();
  EXPECT_EQ(RG7Open(258), RG7_ERR_DRIVER);
  EXPECT_EQ(vxd().CountRequests(kRegisterIrqEvent), 0u);
  EXPECT_EQ(platform::OpenHandleCount(), handles);
  platform::RestoreKernelExports();
  EXPECT_EQ(RG7Open(258), 1);
  EXPECT_TRUE(Registered());
}

TEST_F(InterruptThread95Test, DetachStopsTheThreadBeforeTheVxdGoes) {
  ASSERT_EQ(RG7Open(258), 1);
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Count, kDmaDone, 0), 0);
  rg7::LibraryDetach();
  attached_ = false;
  EXPECT_EQ(vxd().CountRequests(kRegisterIrqEvent), 2u);
  EXPECT_FALSE(Registered());
  EXPECT_FALSE(vxd().IsOpen());
}

}  // namespace
