#include "platform/vxd_handles.h"

#include <gtest/gtest.h>

#include "platform/sync.h"

namespace {

DWORD NoWork(LPVOID) { return 0; }

TEST(VxDHandles, AnEventHasOneRing0HandleThatSignalsItUntilItIsClosed) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE other = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  DWORD ring0 = OpenVxDHandle(event);
  EXPECT_NE(ring0, 0u);
  EXPECT_EQ(OpenVxDHandle(event), ring0);
  DWORD otherRing0 = OpenVxDHandle(other);
  EXPECT_NE(otherRing0, ring0);

  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(platform::SignalVxDEvent(ring0));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(other, 0), WAIT_TIMEOUT);

  EXPECT_TRUE(CloseHandle(event));
  EXPECT_FALSE(platform::SignalVxDEvent(ring0));
  EXPECT_TRUE(platform::SignalVxDEvent(otherRing0));
  EXPECT_TRUE(CloseHandle(other));
}

TEST(VxDHandles, OnlyEventsHaveRing0Handles) {
  EXPECT_EQ(OpenVxDHandle(nullptr), 0u);
  HANDLE thread = CreateThread(nullptr, 0, NoWork, nullptr, 0, nullptr);
  EXPECT_EQ(OpenVxDHandle(thread), 0u);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_FALSE(platform::SignalVxDEvent(0));
  EXPECT_FALSE(platform::SignalVxDEvent(0xDEADBEEF));
}

}  // namespace
