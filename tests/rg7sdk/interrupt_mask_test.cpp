// The interrupt mask register against what the library keeps of it: connections,
// disconnections, the event, trigger and strobe lines and RG7Init.
#include <gtest/gtest.h>

#include <thread>

#include "rg7sdk/board_setup.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "tests/rg7sdk/grab_fixture.h"

namespace {

using rg7_testing::Deliveries;
using rg7_testing::kBoardDmaDone;
using rg7_testing::kBoardDmaDoneAndFields;
using rg7_testing::kDmaDone;
using rg7_testing::kDmaDoneAndFields;
using rg7_testing::kFields;
using rg7_testing::PinnedBuffer;
using rg7_testing::RecordDelivery;
using sim::rg700::kDecoderInterrupt;

std::uint32_t Third(std::uint32_t status, std::uintptr_t context) { return RecordDelivery(status, context); }
std::uint32_t TriggerSeen(std::uint32_t status, std::uintptr_t context) { return RecordDelivery(status, context); }

class InterruptMask : public rg7_testing::GrabTest {
 protected:
  void SetUp() override {
    GrabTest::SetUp();
    OpenBoard();
  }
  std::uint32_t MaskRegister() { return hw().Register(sim::rg700::kInterruptMask); }
  // Callbacks on the board's user list other than the one the library keeps there.
  int UserConnections() {
    std::lock_guard lock(rg7::IrqLock());
    int n = 0;
    for (rg7::InterruptCallbackNode* node = record().user_list; node; node = node->next)
      if (node->callback != rg7::NullInterruptCallback) ++n;
    return n;
  }
  // Both input lines answer their software edges.
  void ExpectLinesAlive(Deliveries& event, Deliveries& trigger) {
    int e = event.count.load(), t = trigger.count.load();
    ASSERT_EQ(RG7GenerateEvent(), 0);
    ASSERT_EQ(RG7GenerateTrigger(), 0);
    EXPECT_TRUE(WaitCount(event, e + 1));
    EXPECT_TRUE(WaitCount(trigger, t + 1));
  }
};

TEST_F(InterruptMask, ADisconnectFromAnotherSlotLeavesARunningGrabAlone) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  Deliveries& grab = NewRecorder();
  Deliver(&grab, kDmaDone);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  ASSERT_TRUE(WaitCount(grab, 2));
  std::uint32_t before = MaskRegister();
  EXPECT_EQ(before & kBoardDmaDoneAndFields, kBoardDmaDoneAndFields);

  Deliveries& other = NewRecorder();
  ASSERT_EQ(RG7ConnectInterruptToCallback(1, Third, kDmaDone, Ctx(other)), 0);
  ASSERT_EQ(RG7DisconnectInterruptCallback(1, Third), 0);
  EXPECT_EQ(MaskRegister(), before);
  int seen = grab.count.load();
  ASSERT_TRUE(WaitFields(8));
  EXPECT_GT(grab.count.load(), seen + 2);

  // Connected to slot 1, enabled, then gone: only what it alone enabled goes.
  ASSERT_EQ(RG7ConnectInterruptToCallback(1, Third, RG7_IRQ_DECODER, Ctx(other)), 0);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_DECODER, reinterpret_cast<std::uintptr_t>(Third)), 0);
  EXPECT_EQ(MaskRegister(), before | kDecoderInterrupt);
  ASSERT_EQ(RG7DisconnectInterruptCallback(1, Third), 0);
  EXPECT_EQ(MaskRegister(), before);
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
}

TEST_F(InterruptMask, AConnectionTakesAwayOnlyWhatItEnabled) {
  // The library enables the fields itself; a connection allowed them but enabled
  // nothing of them.
  ASSERT_EQ(RG7IRQEnable(kFields, RG7_SDK_OWNER), 0);
  constexpr std::uint32_t kBoardFields = sim::rg700::kOddField | sim::rg700::kEvenField;
  ASSERT_EQ(MaskRegister(), kBoardFields);
  Deliveries& other = NewRecorder();
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Third, kDmaDoneAndFields, Ctx(other)), 0);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_DMA_DONE_0, reinterpret_cast<std::uintptr_t>(Third)), 0);
  ASSERT_EQ(RG7DisconnectInterruptCallback(0, Third), 0);
  EXPECT_EQ(MaskRegister(), kBoardFields);
  // The strobe, allowed the fields and DMA bits too, likewise.
  ASSERT_EQ(RG7EnableStrobe(0, 1, 1, nullptr, 0), 0);
  ASSERT_EQ(RG7DisableStrobe(), 0);
  EXPECT_EQ(MaskRegister(), kBoardFields);
}

TEST_F(InterruptMask, TheDecoderInterruptStaysWhileAnInputLineNeedsIt) {
  Deliveries& event = NewRecorder();
  Deliveries& trigger = NewRecorder();
  ASSERT_EQ(RG7EnableEvent(0, RecordDelivery, Ctx(event)), 0);
  ASSERT_EQ(RG7EnableTrigger(0, TriggerSeen, Ctx(trigger)), 0);
  EXPECT_EQ(MaskRegister() & kDecoderInterrupt, kDecoderInterrupt);

  // A third callback comes and goes.
  Deliveries& other = NewRecorder();
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Third, kDmaDone, Ctx(other)), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDone, reinterpret_cast<std::uintptr_t>(Third)), 0);
  ASSERT_EQ(RG7DisconnectInterruptCallback(0, Third), 0);
  EXPECT_EQ(MaskRegister() & kDecoderInterrupt, kDecoderInterrupt);
  ExpectLinesAlive(event, trigger);

  // The strobe comes and goes while the trigger stays.
  ASSERT_EQ(RG7DisableEvent(), 0);
  ASSERT_EQ(RG7EnableStrobe(0, 0, 0, nullptr, 0), 0);
  ASSERT_EQ(RG7DisableStrobe(), 0);
  EXPECT_EQ(MaskRegister() & kDecoderInterrupt, kDecoderInterrupt);
  int t = trigger.count.load();
  ASSERT_EQ(RG7GenerateTrigger(), 0);
  EXPECT_TRUE(WaitCount(trigger, t + 1));

  // A connection that enabled the decoder interrupt itself does not take it away
  // from the trigger, nor the library's own disable of something else.
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Third, RG7_IRQ_DECODER, Ctx(other)), 0);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_DECODER, reinterpret_cast<std::uintptr_t>(Third)), 0);
  ASSERT_EQ(RG7IRQDisable(RG7_IRQ_DECODER, reinterpret_cast<std::uintptr_t>(Third)), 0);
  ASSERT_EQ(RG7IRQDisable(RG7_IRQ_DMA_DONE_0, RG7_SDK_OWNER), 0);
  EXPECT_EQ(MaskRegister() & kDecoderInterrupt, kDecoderInterrupt);

  // With the last input line gone, the decoder interrupt goes too.
  ASSERT_EQ(RG7DisconnectInterruptCallback(0, Third), 0);
  ASSERT_EQ(RG7DisableTrigger(), 0);
  EXPECT_EQ(MaskRegister(), 0u);
}

TEST_F(InterruptMask, InitClearsTheMaskInTheRegisterAndInTheBooks) {
  Deliveries& a = NewRecorder();
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, Third, kDmaDoneAndFields, Ctx(a)), 0);
  ASSERT_EQ(RG7IRQEnable(kDmaDoneAndFields, reinterpret_cast<std::uintptr_t>(Third)), 0);
  ASSERT_EQ(MaskRegister(), kBoardDmaDoneAndFields);
  ASSERT_EQ(RG7Init(), 0);
  EXPECT_EQ(MaskRegister(), 0u);
  // Later changes start from nothing: no bit enabled before the init comes back.
  Deliveries& b = NewRecorder();
  ASSERT_EQ(RG7ConnectInterruptToCallback(0, TriggerSeen, kDmaDone, Ctx(b)), 0);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_DMA_DONE_0, reinterpret_cast<std::uintptr_t>(TriggerSeen)), 0);
  EXPECT_EQ(MaskRegister(), sim::rg700::kDma1Done);
  ASSERT_EQ(RG7IRQEnable(RG7_IRQ_DMA_DONE_1, reinterpret_cast<std::uintptr_t>(Third)), 0);
  EXPECT_EQ(MaskRegister(), kBoardDmaDone);
  ASSERT_EQ(RG7DisconnectInterruptCallback(0, TriggerSeen), 0);
  EXPECT_EQ(MaskRegister(), sim::rg700::kDma2Done);
}

TEST_F(InterruptMask, InitStopsTheGrabAndDisarmsTheLinesItSilences) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  Deliveries& event = NewRecorder();
  ASSERT_EQ(RG7EnableEvent(0, RecordDelivery, Ctx(event)), 0);
  ASSERT_EQ(RG7EnableStrobe(0, 1, 1, nullptr, 0), 0);
  ASSERT_EQ(RG7Init(), 0);
  EXPECT_FALSE(GrabRunning());
  EXPECT_EQ(MaskRegister(), 0u);
  EXPECT_EQ(UserConnections(), 0);
  // Armed again, the lines work; so does a grab.
  ASSERT_EQ(RG7EnableStrobe(0, 1, 1, nullptr, 0), 0);
  ASSERT_EQ(RG7DisableStrobe(), 0);  // its sequence would take the grab below
  ASSERT_EQ(RG7EnableEvent(0, RecordDelivery, Ctx(event)), 0);
  ASSERT_EQ(RG7GenerateEvent(), 0);
  EXPECT_TRUE(WaitCount(event, 1));
  // The init chose its own pixel mode and window: a grab needs them set again.
  ASSERT_EQ(RG7SetPixelMode(6), 0);
  Prepare(buf, 320, 64, 320);
  ASSERT_EQ(RG7StartGrab(0, 1), 0);
  EXPECT_TRUE(WaitGrabEnds());
}

TEST_F(InterruptMask, LineEnablesRacingDisablesLeaveNothingBehind) {
  Deliveries& event = NewRecorder();
  Deliveries& trigger = NewRecorder();
  auto churn = [&](bool enabler) {
    for (int i = 0; i < 200; ++i) {
      if (enabler) {
        RG7EnableEvent(0, RecordDelivery, Ctx(event));
        RG7EnableTrigger(0, TriggerSeen, Ctx(trigger));
      }
      RG7DisableEvent();
      RG7DisableTrigger();
    }
  };
  std::thread first(churn, true);
  std::thread second(churn, false);
  first.join();
  second.join();
  EXPECT_EQ(RG7DisableEvent(), 0);
  EXPECT_EQ(RG7DisableTrigger(), 0);
  EXPECT_EQ(UserConnections(), 0);
  EXPECT_EQ(MaskRegister(), 0u);

  // The strobe likewise.
  auto strobe = [&](bool enabler) {
    for (int i = 0; i < 200; ++i) {
      if (enabler) RG7EnableStrobe(256, 1, 1, nullptr, 0);
      RG7DisableStrobe();
    }
  };
  std::thread third(strobe, true);
  std::thread fourth(strobe, false);
  third.join();
  fourth.join();
  EXPECT_EQ(RG7DisableStrobe(), 0);
  EXPECT_EQ(UserConnections(), 0);
  EXPECT_EQ(MaskRegister(), 0u);
  // And both lines work afterwards.
  ASSERT_EQ(RG7EnableEvent(0, RecordDelivery, Ctx(event)), 0);
  ASSERT_EQ(RG7EnableTrigger(0, TriggerSeen, Ctx(trigger)), 0);
  ExpectLinesAlive(event, trigger);
}

}  // namespace
