#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/kernel_objects.h"
#include "platform/sync.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/rg7sdk.h"
#include "sim/rg700/rg700_registers.h"
#include "tests/rg7sdk/driver_shim.h"
#include "tests/rg7sdk/interrupt_bits.h"
#include "tests/rg7sdk/open_board_fixture.h"

namespace {

using namespace rg7;
using namespace sim::rg700;
using rg7_testing::Driver;
using rg7_testing::kBoardDmaDone;
using rg7_testing::kBoardDmaDoneAndFields;
using rg7_testing::kDmaDone;
using rg7_testing::kDmaDoneAndFields;
using rg7_testing::kEventAndTrigger;
using rg7_testing::kFields;
using rg7_testing::kRegisterEventsRequest;
using rg7_testing::kServiceEvents;
using rg7_testing::RegisteredMask;

// What the callbacks saw, in order, and on which thread.
struct Trace {
  using Call = std::pair<char, std::uint32_t>;
  std::mutex mutex;
  std::vector<Call> calls;
  std::vector<DWORD> threads;
  void Add(char who, std::uint32_t bits) {
    std::lock_guard lock(mutex);
    calls.emplace_back(who, bits);
    threads.push_back(GetCurrentThreadId());
  }
};
Trace* g_trace = nullptr;

std::uint32_t UserA(std::uint32_t bits, std::uintptr_t context) {
  g_trace->Add(static_cast<char>(context), bits);
  return 0;
}
std::uint32_t UserB(std::uint32_t bits, std::uintptr_t context) {
  g_trace->Add(static_cast<char>(context), bits);
  return 0;
}
std::uint32_t SwallowDmaDone(std::uint32_t* bits, std::uintptr_t) {
  g_trace->Add('I', *bits);
  *bits &= ~irq::kDmaDone;
  return 0;
}

class InterruptDispatchTest : public rg7_testing::OpenBoardTest {
 protected:
  void SetUp() override {
    OpenBoardTest::SetUp();
    g_trace = &trace_;
    machine_ = &BootAndOpen();
  }
  void TearDown() override {
    rg7::LibraryDetach();
    attached_ = false;
    g_trace = nullptr;
    OpenBoardTest::TearDown();
  }
  void Raise(std::uint32_t bits) {
    machine_->rg700(0).RaiseInterrupt(bits);
    ASSERT_TRUE(machine_->WaitUntilInterruptsServed());
  }
  Trace trace_;
  sim::Machine* machine_ = nullptr;
};

TEST_F(InterruptDispatchTest, InternalHandlersRunFirstAndCanHideBits) {
  ASSERT_EQ(ConnectInternalCallback(0, SwallowDmaDone, kDmaDoneAndFields, 0), 0);
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDoneAndFields, 'A'), 0);
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserB, kDmaDoneAndFields, 'B'), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDoneAndFields, reinterpret_cast<std::uintptr_t>(SwallowDmaDone)), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDoneAndFields, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(UserB)), 0);
  EXPECT_EQ(machine_->rg700(0).Register(kInterruptMask), kBoardDmaDoneAndFields);

  Raise(kOddField | kDma1Done);
  std::lock_guard lock(trace_.mutex);
  ASSERT_EQ(trace_.calls.size(), 2u);
  EXPECT_EQ(trace_.calls[0], Trace::Call('I', RG7_IRQ_ODD_FIELD | RG7_IRQ_DMA_DONE_0));
  // The DMA bit the handler took is hidden; B, enabled for DMA bits only, gets nothing.
  EXPECT_EQ(trace_.calls[1], Trace::Call('A', RG7_IRQ_ODD_FIELD));
  EXPECT_NE(trace_.threads[0], GetCurrentThreadId());
}

TEST_F(InterruptDispatchTest, CallbacksGetOnlyWhatTheyEnabled) {
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDoneAndFields, 'A'), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  ASSERT_EQ(RG7IRQEnable(kFields, RG7_SDK_OWNER), 0);  // the hardware raises fields too
  Raise(kBoardDmaDoneAndFields);
  Raise(kEvenField);
  std::lock_guard lock(trace_.mutex);
  ASSERT_EQ(trace_.calls.size(), 1u);
  EXPECT_EQ(trace_.calls[0].second, kDmaDone);
}

TEST_F(InterruptDispatchTest, ServiceThreadRunsTimeCriticalAndStopsWithTheLastCallback) {
  std::size_t before = platform::OpenHandleCount();
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 'A'), 0);
  EXPECT_TRUE(Driver(*machine_).EventsRegistered(0));
  EXPECT_EQ(RegisteredMask(*machine_), kBoardDmaDone);
  EXPECT_EQ(platform::OpenHandleCount(), before + kServiceEvents + 1);  // the events and the thread
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserB, kDmaDone, 'B'), 0);
  EXPECT_EQ(platform::OpenHandleCount(), before + kServiceEvents + 1);
  EXPECT_EQ(RG7DisconnectInterruptCallback(0, UserA), 0);
  EXPECT_TRUE(Driver(*machine_).EventsRegistered(0));
  EXPECT_EQ(RG7DisconnectInterruptCallback(0, UserB), 0);
  EXPECT_FALSE(Driver(*machine_).EventsRegistered(0));
  EXPECT_EQ(platform::OpenHandleCount(), before);

  // A later connection starts a new thread.
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 'A'), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  Raise(kDma1Done);
  std::lock_guard lock(trace_.mutex);
  ASSERT_EQ(trace_.calls.size(), 1u);
}

TEST_F(InterruptDispatchTest, RefusalsOfConnectAndDisconnect) {
  EXPECT_EQ(RG7DisconnectInterruptCallback(0, UserA), RG7_ERR_PARAMETER);  // no connection at all
  EXPECT_EQ(RG7ConnectInterruptToCallback(3, UserA, kDmaDone, 0), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7ConnectInterruptToCallback(-1, UserA, kDmaDone, 0), RG7_ERR_PARAMETER);
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 0), 0);
  EXPECT_EQ(RG7DisconnectInterruptCallback(0, UserB), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7DisconnectInterruptCallback(1, UserA), RG7_ERR_PARAMETER);  // slot 1 is free
  EXPECT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(UserB)), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7IRQDisable(kDmaDone, reinterpret_cast<std::uintptr_t>(UserB)), RG7_ERR_PARAMETER);
  board().open.store(0);
  EXPECT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 0), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7IRQStatus(0xFFFFFFFF), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7IRQEnable(kDmaDone, RG7_SDK_OWNER), RG7_ERR_NOT_OPEN);
  board().open.store(1);
}

TEST_F(InterruptDispatchTest, ConnectionFailuresAreReportedAndRolledBack) {
  std::size_t handles = platform::OpenHandleCount();
  platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 0), RG7_ERR_NO_MEMORY);
  platform::faults::Arm("CreateEventA", 1, ERROR_NOT_ENOUGH_MEMORY, static_cast<int>(kServiceEvents) - 1);
  EXPECT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 0), RG7_ERR_DRIVER);
  platform::faults::Arm("CreateThread", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 0), RG7_ERR_DRIVER);
  Driver(*machine_).FailRequest(kRegisterEventsRequest, 1);
  EXPECT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 0), RG7_ERR_DRIVER);
  EXPECT_EQ(platform::OpenHandleCount(), handles);
  EXPECT_EQ(board().user_list, nullptr);
  // Nothing was left connected.
  EXPECT_EQ(RG7DisconnectInterruptCallback(0, UserA), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDone, 0), 0);
}

TEST_F(InterruptDispatchTest, EventAndTriggerEnableTheDecoderInterruptAndTheirLatches) {
  constexpr std::uint32_t kLatchEnables = kGioEventLatchEnable | kGioTriggerLatchEnable;
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kEventAndTrigger, 'A'), 0);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_EVENT, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  sim::Rg700Board& b = machine_->rg700(0);
  EXPECT_EQ(b.Register(kInterruptMask), kDecoderInterrupt);  // the input bits themselves never reach the mask
  EXPECT_EQ(b.Register(kGioB) & kLatchEnables, kGioEventLatchEnable);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_TRIGGER, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  EXPECT_EQ(b.Register(kGioB) & kLatchEnables, kLatchEnables);

  ASSERT_EQ(RG7IRQDisable(RG7_IRQ_EVENT, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  EXPECT_EQ(b.Register(kInterruptMask), kDecoderInterrupt);  // still needed by the trigger
  ASSERT_EQ(RG7IRQDisable(RG7_IRQ_TRIGGER, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  EXPECT_EQ(b.Register(kInterruptMask), 0u);
}

TEST_F(InterruptDispatchTest, StatusOutsideTheSlotMaskIsNeverReported) {
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDoneAndFields, 'A'), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  // Latched in the driver without the thread seeing it: read by hand.
  Driver(*machine_).ServiceInterrupt(0, kOddField | kBoardDmaDone);
  ASSERT_TRUE(machine_->WaitUntilInterruptsServed());
  std::lock_guard lock(trace_.mutex);
  ASSERT_EQ(trace_.calls.size(), 1u);
  EXPECT_EQ(trace_.calls[0].second, kDmaDone);
  EXPECT_EQ(RG7IRQStatus(0xFFFFFFFF), 0);
}

TEST_F(InterruptDispatchTest, GioLatchesBecomeEventAndTriggerBits) {
  constexpr std::uint32_t kLatches = kGioEventLatched | kGioTriggerLatched;
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kEventAndTrigger, 'A'), 0);
  ASSERT_EQ(RG7IRQEnable(kEventAndTrigger, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  sim::Rg700Board& b = machine_->rg700(0);
  b.SetRegister(kGioB, b.Register(kGioB) | kLatches);
  b.ClearRegisterWrites();
  EXPECT_EQ(static_cast<std::uint32_t>(RG7IRQStatus(0xFFFFFFFF)), kEventAndTrigger);
  // Each latch is acknowledged by a low pulse of its enable bit.
  auto writes = b.RegisterWrites();
  ASSERT_EQ(writes.size(), 4u);
  EXPECT_EQ(writes[0].value & kGioEventLatchEnable, 0u);
  EXPECT_EQ(writes[1].value & kGioEventLatchEnable, kGioEventLatchEnable);
  EXPECT_EQ(writes[2].value & kGioTriggerLatchEnable, 0u);
  EXPECT_EQ(writes[3].value & kGioTriggerLatchEnable, kGioTriggerLatchEnable);
  EXPECT_EQ(RG7IRQReset(RG7_IRQ_EVENT), 0);
  b.SetRegister(kGioB, b.Register(kGioB) & ~kLatches);
  EXPECT_EQ(static_cast<std::uint32_t>(RG7IRQStatus(0xFFFFFFFF)), RG7_IRQ_TRIGGER);
}

std::atomic<int> g_hits{0};
std::uint32_t Counting(std::uint32_t, std::uintptr_t) {
  g_hits.fetch_add(1);
  return 0;
}
std::uint32_t Counting2(std::uint32_t, std::uintptr_t) {
  g_hits.fetch_add(1);
  return 0;
}
std::uint32_t DisconnectsItself(std::uint32_t, std::uintptr_t) {
  RG7DisconnectInterruptCallback(0, DisconnectsItself);
  return 0;
}

TEST_F(InterruptDispatchTest, ConnectAndDisconnectWhileInterruptsAreDispatched) {
  g_hits.store(0);
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Counting, kDmaDoneAndFields, 0), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDoneAndFields, reinterpret_cast<std::uintptr_t>(Counting)), 0);
  std::atomic<bool> done{false};
  std::thread raiser([&] {
    for (int i = 0; i < 2000; ++i) {
      machine_->rg700(0).RaiseInterrupt(kOddField);
      std::this_thread::yield();
    }
    done.store(true);
  });
  int rounds = 0;
  while (!done.load() || rounds < 50) {
    ASSERT_EQ(RG7ConnectInterruptToCallback(0, Counting2, kDmaDoneAndFields, 0), 0);
    ASSERT_EQ(RG7IRQEnable(RG7_IRQ_ODD_FIELD, reinterpret_cast<std::uintptr_t>(Counting2)), 0);
    ASSERT_EQ(RG7DisconnectInterruptCallback(0, Counting2), 0);
    ASSERT_EQ(RG7ConnectInterruptToCallback(0, DisconnectsItself, kDmaDoneAndFields, 0), 0);
    RG7IRQEnable(RG7_IRQ_ODD_FIELD, reinterpret_cast<std::uintptr_t>(DisconnectsItself));
    ++rounds;
  }
  raiser.join();
  // Enabling clears stale latches, so the churn above may swallow fields; the one
  // raised after it must arrive.
  EXPECT_TRUE(machine_->WaitUntilInterruptsServed());
  Raise(kOddField);
  EXPECT_GT(g_hits.load(), 0);
}

TEST_F(InterruptDispatchTest, DetachRightAfterTheServiceThreadStoppedItself) {
  // The detach must wait for the thread's tail instead of racing it.
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, DisconnectsItself, kDmaDoneAndFields, 0), 0);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_ODD_FIELD, reinterpret_cast<std::uintptr_t>(DisconnectsItself)), 0);
  Raise(kOddField);
  rg7::LibraryDetach();
}

TEST_F(InterruptDispatchTest, ThreadsStartAndStopWhileOthersConnect) {
  // Two callers each empty and refill the list, so the service thread is stopped and
  // started again and again while interrupts arrive.
  std::atomic<bool> done{false};
  std::thread raiser([&] {
    while (!done.load()) {
      machine_->rg700(0).RaiseInterrupt(kOddField);
      std::this_thread::yield();
    }
  });
  auto churn = [&](RG7InterruptCallback cb) {
    for (int i = 0; i < 100; ++i) {
      if (RG7ConnectInterruptToCallback(0, cb, kDmaDoneAndFields, 0) != 0) return false;
      RG7IRQEnable(RG7_IRQ_ODD_FIELD, reinterpret_cast<std::uintptr_t>(cb));
      RG7DisconnectInterruptCallback(0, cb);
    }
    return true;
  };
  bool a = false, b = false;
  std::thread first([&] { a = churn(Counting); });
  std::thread second([&] { b = churn(Counting2); });
  first.join();
  second.join();
  done.store(true);
  raiser.join();
  EXPECT_TRUE(a);
  EXPECT_TRUE(b);
  // Whatever the interleaving, one connection afterwards is served.
  g_hits.store(0);
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Counting, kDmaDoneAndFields, 0), 0);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_ODD_FIELD, reinterpret_cast<std::uintptr_t>(Counting)), 0);
  DWORD start = GetTickCount();
  while (g_hits.load() == 0 && GetTickCount() - start < 5000) {
    machine_->rg700(0).RaiseInterrupt(kOddField);
    Sleep(1);
  }
  EXPECT_GT(g_hits.load(), 0);
}

TEST_F(InterruptDispatchTest, AClosedBoardDispatchesNothingUntilItIsOpenAgain) {
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, UserA, kDmaDoneAndFields, 'A'), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDoneAndFields, reinterpret_cast<std::uintptr_t>(UserA)), 0);
  board().open.store(0);
  machine_->rg700(0).RaiseInterrupt(kDma1Done);
  Sleep(50);
  {
    std::lock_guard lock(trace_.mutex);
    EXPECT_TRUE(trace_.calls.empty());
  }
  board().open.store(1);
  Raise(kDma2Done);
  std::lock_guard lock(trace_.mutex);
  ASSERT_EQ(trace_.calls.size(), 1u);
  EXPECT_EQ(trace_.calls[0].second, kDmaDone);
}

}  // namespace
