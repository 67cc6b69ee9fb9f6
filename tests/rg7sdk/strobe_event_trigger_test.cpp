#include <gtest/gtest.h>

#include "tests/rg7sdk/grab_fixture.h"

namespace {

using rg7_testing::Deliveries;
using rg7_testing::kDmaDone;
using rg7_testing::kFields;
using rg7_testing::PinnedBuffer;
using rg7_testing::RecordDelivery;

std::uint32_t OtherRecorder(std::uint32_t status, std::uintptr_t context) { return RecordDelivery(status, context); }

class Lines : public rg7_testing::GrabTest {
 protected:
  void SetUp() override {
    GrabTest::SetUp();
    OpenBoard();
  }
  // An event with the fields held back, so that it comes between two known fields;
  // returns the number of the first field after it.
  std::uint32_t EventBetweenFields() {
    hw().video_inputs().SetSource(0, sim::VideoSourceDesc{false, 0});
    std::uint32_t next = hw().video_clock().field_count();
    for (Sleep(5); hw().video_clock().field_count() != next; Sleep(5)) next = hw().video_clock().field_count();
    EXPECT_TRUE(machine_->WaitUntilInterruptsServed());
    EXPECT_EQ(RG7GenerateEvent(), 0);
    EXPECT_TRUE(machine_->WaitUntilInterruptsServed());
    hw().video_inputs().SetSource(0, sim::VideoSourceDesc{true, 0});
    return next;
  }
  const sim::StrobeField* FieldRecord(const std::vector<sim::StrobeField>& h, std::uint32_t field) {
    for (const sim::StrobeField& f : h)
      if (f.field == field) return &f;
    return nullptr;
  }
};

TEST_F(Lines, StrobePulseFollowsTheEventByItsDelaysThenGrabsAFrame) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  Deliveries& done = NewRecorder();
  ASSERT_EQ(RG7EnableStrobe(0, 2, 3, RecordDelivery, Ctx(done)), 0);
  EXPECT_TRUE(hw().gio().strobe());  // mode 0 idles high
  std::uint32_t e = EventBetweenFields();
  ASSERT_TRUE(WaitCount(done, 1));
  std::vector<sim::StrobeField> h = hw().gio().StrobeHistory();
  // Two fields of delay, then active (low) from the third field's interrupt for three
  // whole fields, back to idle in the sixth.
  for (std::uint32_t f = e; f < e + 6; ++f) {
    const sim::StrobeField* r = FieldRecord(h, f);
    ASSERT_NE(r, nullptr) << f;
    EXPECT_EQ(r->level_at_start, f <= e + 2) << f;
    EXPECT_EQ(r->seen_low, f >= e + 2) << f;
  }
  EXPECT_TRUE(FieldRecord(h, e + 5)->seen_high);
  EXPECT_TRUE(FieldRecord(h, e + 6)->level_at_start);
  // The frame was taken from the first odd field after the pulse.
  std::vector<sim::DmaTransfer> t = hw().video_dma().Transfers();
  ASSERT_FALSE(t.empty());
  EXPECT_GE(t.front().field, e + 6);
  EXPECT_EQ(t.front().field % 2, 0u);
  EXPECT_NE(done.Take()[0] & kDmaDone, 0u);

  // Armed again: the next event runs the sequence once more.
  EventBetweenFields();
  EXPECT_TRUE(WaitCount(done, 2));
  EXPECT_EQ(RG7DisableStrobe(), 0);
}

TEST_F(Lines, AZeroLengthPulseAndTheCallbackMode) {
  Deliveries& cb = NewRecorder();
  // Inverted (idles low), call back at the end of the pulse instead of grabbing.
  ASSERT_EQ(RG7EnableStrobe(0x101, 0, 0, RecordDelivery, Ctx(cb)), 0);
  EXPECT_FALSE(hw().gio().strobe());
  std::uint32_t e = EventBetweenFields();
  ASSERT_TRUE(WaitCount(cb, 1));
  EXPECT_NE(cb.Take()[0] & kFields, 0u);
  std::vector<sim::StrobeField> h = hw().gio().StrobeHistory();
  // Active for part of one field: the first the interrupt thread serves after the
  // event, the field after it or on a slow machine a later one.
  bool pulsed = false;
  for (std::uint32_t f = e; f <= e + 2; ++f)
    if (const sim::StrobeField* r = FieldRecord(h, f)) pulsed |= r->seen_high && r->seen_low;
  EXPECT_TRUE(pulsed);
  EXPECT_FALSE(hw().gio().strobe());
  EXPECT_TRUE(hw().video_dma().Transfers().empty());
  EventBetweenFields();
  EXPECT_TRUE(WaitCount(cb, 2));
}

TEST_F(Lines, ARefusedStrobeGrabEndsTheSequenceAndRearms) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  Deliveries& grab = NewRecorder();
  Deliver(&grab, kDmaDone);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);  // the strobe's own grab will be refused
  Deliveries& strobe = NewRecorder();
  ASSERT_EQ(RG7EnableStrobe(0, 0, 0, RecordDelivery, Ctx(strobe)), 0);
  std::uint32_t e = EventBetweenFields();
  ASSERT_TRUE(WaitFields(6));
  std::vector<sim::StrobeField> h = hw().gio().StrobeHistory();
  // The pulse comes with the first field the interrupt thread serves after the
  // event: the field after it, or on a slow machine a later one.
  bool pulsed = false;
  for (std::uint32_t f = e; f <= e + 2; ++f)
    if (const sim::StrobeField* r = FieldRecord(h, f)) pulsed |= r->seen_low;
  EXPECT_TRUE(pulsed);
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
  // A later grab of the caller's own is none of the strobe's business.
  ASSERT_EQ(RG7StartGrab(0, 1), 0);
  ASSERT_TRUE(WaitGrabEnds());
  EXPECT_EQ(strobe.count.load(), 0);
  // Armed again: the next event runs the whole sequence, its grab included.
  hw().video_dma().ClearTransfers();
  e = EventBetweenFields();
  ASSERT_TRUE(WaitCount(strobe, 1));
  std::vector<sim::DmaTransfer> t = hw().video_dma().Transfers();
  ASSERT_FALSE(t.empty());
  EXPECT_GE(t.front().field, e);
  EXPECT_EQ(RG7DisableStrobe(), 0);
}

TEST_F(Lines, AStoppedStrobeGrabIsNotMistakenForALaterOne) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  Deliveries& strobe = NewRecorder();
  ASSERT_EQ(RG7EnableStrobe(0, 0, 0, RecordDelivery, Ctx(strobe)), 0);
  // Slow fields leave time to stop the strobe's grab before its frame is in.
  hw().video_clock().SetFieldPeriodUs(40000);
  EventBetweenFields();
  for (int i = 0; i < 2000 && !GrabRunning(); ++i) Sleep(1);
  ASSERT_TRUE(GrabRunning());
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
  hw().video_clock().SetFieldPeriodUs(1000);
  // A later grab of the caller's own ends; its frame is none of the strobe's.
  ASSERT_EQ(RG7StartGrab(0, 1), 0);
  ASSERT_TRUE(WaitGrabEnds());
  EXPECT_EQ(strobe.count.load(), 0);
  // The strobe is armed again: the next event runs the whole sequence.
  EventBetweenFields();
  EXPECT_TRUE(WaitCount(strobe, 1));
  EXPECT_EQ(RG7DisableStrobe(), 0);
}

TEST_F(Lines, TheStrobeIsArmedOnceWithOrWithoutACallback) {
  ASSERT_EQ(RG7EnableStrobe(256, 1, 1, nullptr, 0), 0);
  EXPECT_EQ(RG7EnableStrobe(256, 1, 1, nullptr, 0), RG7_ERR_ARMED);
  ASSERT_EQ(RG7SetStrobe(1), 0);
  ASSERT_EQ(RG7DisableStrobe(), 0);
  EXPECT_TRUE(hw().gio().strobe());  // the level stays as it was
  EXPECT_EQ(RG7DisableStrobe(), 0);
  Deliveries& d = NewRecorder();
  EXPECT_EQ(RG7EnableStrobe(0, 0, 0, RecordDelivery, Ctx(d)), 0);
  EXPECT_EQ(RG7EnableStrobe(0, 0, 0, RecordDelivery, Ctx(d)), RG7_ERR_ARMED);
}

TEST_F(Lines, DisarmingTheStrobeLeavesARunningGrabAlone) {
  PinnedBuffer buf(320 * 64 * 2);
  Prepare(buf, 320, 64, 320);
  Deliveries& grab = NewRecorder();
  Deliver(&grab, kDmaDone);
  ASSERT_EQ(RG7StartGrab(1, 1), 0);
  ASSERT_EQ(RG7EnableStrobe(0, 1, 1, nullptr, 0), 0);
  ASSERT_EQ(RG7DisableStrobe(), 0);
  int before = grab.count.load();
  ASSERT_TRUE(WaitFields(8));
  EXPECT_GT(grab.count.load(), before + 2);
  EXPECT_EQ(RG7StopGrab(nullptr, 0), 0);
}

TEST_F(Lines, EventAndTriggerCallbacksOnSoftwareAndExternalEdges) {
  Deliveries& ev = NewRecorder();
  Deliveries& tr = NewRecorder();
  EXPECT_EQ(RG7EnableEvent(0, nullptr, 0), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7EnableTrigger(5, OtherRecorder, Ctx(tr)), RG7_ERR_PARAMETER);
  ASSERT_EQ(RG7EnableEvent(0, RecordDelivery, Ctx(ev)), 0);
  EXPECT_EQ(RG7EnableEvent(0, RecordDelivery, Ctx(ev)), RG7_ERR_ARMED);
  ASSERT_EQ(RG7EnableTrigger(256, OtherRecorder, Ctx(tr)), 0);
  EXPECT_EQ(RG7GetTriggerPolarity(), 256);

  std::uint32_t before = hw().Register(sim::rg700::kGioB);
  ASSERT_EQ(RG7GenerateTrigger(), 0);
  EXPECT_EQ(hw().Register(sim::rg700::kGioB), before);
  ASSERT_TRUE(WaitCount(tr, 1));
  ASSERT_EQ(RG7GenerateEvent(), 0);
  ASSERT_TRUE(WaitCount(ev, 1));
  EXPECT_EQ(ev.Take(), std::vector<std::uint32_t>{RG7_IRQ_EVENT});
  EXPECT_EQ(tr.Take(), std::vector<std::uint32_t>{RG7_IRQ_TRIGGER});

  // Outside edges: the event is active high at polarity 0, the trigger active low at 256.
  // An edge while the last one's dispatch is still ending is not delivered again:
  // the service thread is done with those first.
  ASSERT_TRUE(machine_->WaitUntilInterruptsServed());
  sim::Rg700Gio& gio = hw().gio();
  gio.SetEventInput(true);
  ASSERT_TRUE(WaitCount(ev, 2));
  gio.SetEventInput(false);
  gio.SetTriggerInput(true);
  gio.SetTriggerInput(false);
  ASSERT_TRUE(WaitCount(tr, 2));
  ASSERT_TRUE(machine_->WaitUntilInterruptsServed());
  EXPECT_EQ(ev.count.load(), 2);
  EXPECT_EQ(tr.count.load(), 2);
  EXPECT_EQ(RG7ResetEvent(), 0);
  EXPECT_EQ(RG7ResetTrigger(), 0);

  ASSERT_EQ(RG7DisableEvent(), 0);
  ASSERT_EQ(RG7DisableTrigger(), 0);
  EXPECT_EQ(RG7GenerateEvent(), 0);
  EXPECT_EQ(RG7GenerateTrigger(), 0);
  Sleep(20);
  EXPECT_EQ(ev.count.load(), 2);
  EXPECT_EQ(tr.count.load(), 2);
  EXPECT_EQ(hw().Register(sim::rg700::kInterruptMask) & sim::rg700::kDecoderInterrupt, 0u);
  // And they can be armed again.
  EXPECT_EQ(RG7EnableEvent(256, RecordDelivery, Ctx(ev)), 0);
  EXPECT_EQ(RG7GetEventPolarity(), 256);
}

TEST_F(Lines, PolarityAndClosedBoard) {
  EXPECT_EQ(RG7SetEventPolarity(256), 0);
  EXPECT_EQ(RG7GetEventPolarity(), 256);
  EXPECT_EQ(RG7SetEventPolarity(5), RG7_ERR_PARAMETER);
  EXPECT_EQ(RG7GetEventPolarity(), 256);
  EXPECT_EQ(RG7SetTriggerPolarity(0), 0);
  EXPECT_EQ(RG7GetTriggerPolarity(), 0);
  ASSERT_EQ(RG7Close(), 0);
  EXPECT_EQ(RG7SetStrobe(1), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7EnableStrobe(0, 0, 0, nullptr, 0), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7DisableStrobe(), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7EnableEvent(0, RecordDelivery, 0), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7DisableTrigger(), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7ResetEvent(), RG7_ERR_NOT_OPEN);
  EXPECT_EQ(RG7GenerateTrigger(), RG7_ERR_NOT_OPEN);
}

}  // namespace
