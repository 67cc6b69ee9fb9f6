#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/clock.h"
#include "platform/fault_injection.h"
#include "platform/last_error.h"
#include "platform/virtual_memory.h"

namespace {

TEST(Events, ManualResetStaysSignalledAutoResetWakesOnce) {
  HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  SetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  ResetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
  CloseHandle(manual);
  CloseHandle(automatic);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
}

TEST(Events, WaitForAnyReportsTheFirstSignalledAndTimesOut) {
  HANDLE e[3];
  for (HANDLE& h : e) h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD start = GetTickCount();
  EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 30), WAIT_TIMEOUT);
  EXPECT_GE(GetTickCount() - start, 25u);
  SetEvent(e[2]);
  SetEvent(e[1]);
  EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 0), WAIT_TIMEOUT);
  SetEvent(e[0]);
  EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(0, e, FALSE, 0), WAIT_FAILED);
  for (HANDLE h : e) CloseHandle(h);
}

std::atomic<int> g_ran{0};
DWORD Worker(LPVOID p) {
  HANDLE go = p;
  WaitForSingleObject(go, INFINITE);
  g_ran.fetch_add(1);
  return 7;
}

TEST(Threads, AThreadIsSignalledWhenItEndsAndKeepsItsPriority) {
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE t = CreateThread(nullptr, 0, Worker, go, 0, &id);
  ASSERT_NE(t, nullptr);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_TRUE(SetThreadPriority(t, THREAD_PRIORITY_TIME_CRITICAL));
  EXPECT_EQ(GetThreadPriority(t), THREAD_PRIORITY_TIME_CRITICAL);
  EXPECT_EQ(WaitForSingleObject(t, 10), WAIT_TIMEOUT);
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(t, 2000), WAIT_OBJECT_0);
  EXPECT_EQ(g_ran.load(), 1);
  CloseHandle(t);
  CloseHandle(go);
  platform::faults::Arm("CreateThread", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr), nullptr);
  platform::faults::DisarmAll();
}

// Hears each unlocked range and whether its first page was still locked then.
struct UnlockRecorder : platform::UnlockListener {
  void RangeUnlocked(const void* address, std::size_t size) override {
    heard.push_back({address, size, platform::IsRangeLocked(address, 1)});
  }
  struct Heard {
    const void* address;
    std::size_t size;
    bool still_locked;
  };
  std::vector<Heard> heard;
};

TEST(PageLocking, LockedRangesNeedWorkingSetRoom) {
  static std::uint8_t big[1 << 20];
  UnlockRecorder recorder;
  platform::AddUnlockListener(&recorder);
  SIZE_T minimum = 0, maximum = 0;
  ASSERT_TRUE(GetProcessWorkingSetSize(GetCurrentProcess(), &minimum, &maximum));
  EXPECT_FALSE(VirtualLock(big, sizeof big));
  EXPECT_EQ(GetLastError(), ERROR_WORKING_SET_QUOTA);
  ASSERT_TRUE(SetProcessWorkingSetSize(GetCurrentProcess(), minimum + sizeof big + 8192, maximum + sizeof big + 8192));
  EXPECT_TRUE(VirtualLock(big, sizeof big));
  EXPECT_TRUE(platform::IsRangeLocked(big + 100, 5000));
  EXPECT_TRUE(VirtualUnlock(big, sizeof big));
  EXPECT_FALSE(platform::IsRangeLocked(big, 1));
  EXPECT_FALSE(VirtualUnlock(big, sizeof big));
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  // Listeners hear the unlock that succeeded, once the lock has gone, and nothing
  // once removed.
  ASSERT_EQ(recorder.heard.size(), 1u);
  EXPECT_EQ(recorder.heard[0].address, big);
  EXPECT_EQ(recorder.heard[0].size, sizeof big);
  EXPECT_FALSE(recorder.heard[0].still_locked);
  platform::RemoveUnlockListener(&recorder);
  EXPECT_TRUE(VirtualLock(big, 4096));
  EXPECT_TRUE(VirtualUnlock(big, 4096));
  EXPECT_EQ(recorder.heard.size(), 1u);
  SetProcessWorkingSetSize(GetCurrentProcess(), minimum, maximum);
}

}  // namespace
