// Capability negotiation through DS_Entry: the answers byte for byte in the
// TWAIN layouts, what MSG_SET accepts, and containers an application got wrong.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/global_memory.h"
#include "tests/twain_ds/entry_fixture.h"
#include "twain_ds/capability_containers.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class CapabilityTest : public twain_ds_test::EntryFixture {
 protected:
  struct Answer {
    TW_UINT16 rc;
    TW_UINT16 con_type;
    Bytes container;  // the whole block the source allocated
  };

  Answer Get(TW_UINT16 capId, TW_UINT16 msg = MSG_GET) {
    TW_CAPABILITY cap{capId, 0, nullptr};
    Answer answer{Call(DG_CONTROL, DAT_CAPABILITY, msg, &cap), cap.ConType, {}};
    if (HGLOBAL block = cap.hContainer) {
      const auto* bytes = static_cast<const std::uint8_t*>(block);
      answer.container.assign(bytes, bytes + GlobalSize(block));
      std::free(block);  // as an application on this platform releases it
    }
    return answer;
  }

  // MSG_SET with a container of exactly these bytes.
  TW_UINT16 Set(TW_UINT16 capId, TW_UINT16 conType, const Bytes& bytes, TW_UINT16 msg = MSG_SET) {
    HGLOBAL block = GlobalAlloc(GHND, bytes.size());
    std::memcpy(block, bytes.data(), bytes.size());
    TW_CAPABILITY cap{capId, conType, block};
    TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, msg, &cap);
    GlobalFree(block);
    return rc;
  }

  static Bytes OneValue(TW_UINT16 type, TW_UINT32 item) {
    Bytes b(sizeof(TW_ONEVALUE));
    TW_ONEVALUE v{type, item};
    std::memcpy(b.data(), &v, sizeof v);
    return b;
  }
  // An enumeration of 16-bit items.
  static Bytes Enumeration(TW_UINT16 type, std::vector<TW_UINT16> items, TW_UINT32 current) {
    Bytes b(14 + 2 * items.size());
    TW_ENUMERATION e{};
    e.ItemType = type;
    e.NumItems = static_cast<TW_UINT32>(items.size());
    e.CurrentIndex = current;
    std::memcpy(b.data(), &e, 14);
    std::memcpy(b.data() + 14, items.data(), 2 * items.size());
    return b;
  }
};

TEST_F(CapabilityTest, AnswersAreTheTwainLayoutsByteForByte) {
  Answer caps = Get(CAP_SUPPORTEDCAPS);
  ASSERT_EQ(caps.rc, TWRC_SUCCESS);
  EXPECT_EQ(caps.con_type, TWON_ARRAY);
  Bytes supported = {
      0x04, 0x00, 15,   0,    0,    0,  // TWTY_UINT16, 15 items
      0x01, 0x00, 0x05, 0x10, 0x0E, 0x10, 0x00, 0x01, 0x20, 0x11, 0x12, 0x11, 0x11, 0x11, 0x1F, 0x11,
      0x2B, 0x11, 0x1C, 0x11, 0x01, 0x01, 0x02, 0x01, 0x03, 0x01, 0x18, 0x11, 0x19, 0x11, 0x00};  // the block's spare
                                                                                                  // byte
  EXPECT_EQ(caps.container, supported);

  Answer count = Get(CAP_XFERCOUNT);
  EXPECT_EQ(count.con_type, TWON_ONEVALUE);
  EXPECT_EQ(count.container, (Bytes{0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_PHYSICALWIDTH).container, (Bytes{0x07, 0x00, 0x00, 0x03, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_PHYSICALHEIGHT).container, (Bytes{0x07, 0x00, 0x40, 0x02, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_XRESOLUTION).container, (Bytes{0x07, 0x00, 0x01, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_YRESOLUTION).container, (Bytes{0x07, 0x00, 0x01, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_COMPRESSION).container, (Bytes{0x04, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_PLANARCHUNKY).container, (Bytes{0x04, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_PIXELFLAVOR).container, (Bytes{0x04, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Get(CAP_UICONTROLLABLE).container, (Bytes{0x06, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_BITORDER).container, (Bytes{0x04, 0x00, 0x01, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Get(ICAP_UNITS).container, (Bytes{0x04, 0x00, 0x05, 0x00, 0x00, 0x00}));

  for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
    Answer mech = Get(ICAP_XFERMECH, msg);
    EXPECT_EQ(mech.con_type, TWON_ENUMERATION);
    EXPECT_EQ(mech.container, (Bytes{0x01, 0x00, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 0}));
  }
}

TEST_F(CapabilityTest, PixelTypeAndBitDepthFollowTheColourSetting) {
  EXPECT_EQ(Get(ICAP_PIXELTYPE).container, (Bytes{0x04, 0x00, TWPT_GRAY, 0, 0, 0}));
  EXPECT_EQ(Get(ICAP_BITDEPTH).container, (Bytes{0x04, 0x00, 8, 0, 0, 0}));
  app_.format_settings().color = 1;
  EXPECT_EQ(Get(ICAP_PIXELTYPE).container, (Bytes{0x04, 0x00, TWPT_RGB, 0, 0, 0}));
  EXPECT_EQ(Get(ICAP_BITDEPTH).container, (Bytes{0x04, 0x00, 24, 0, 0, 0}));
}

TEST_F(CapabilityTest, SetAcceptsOnlyWhatTheSourceCanDo) {
  struct Case {
    TW_UINT16 cap;
    TW_UINT16 con_type;
    Bytes container;
    TW_UINT16 condition;
  };
  const Case cases[] = {
      {ICAP_XFERMECH, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWSX_MEMORY), TWCC_SUCCESS},
      {ICAP_XFERMECH, TWON_ONEVALUE, OneValue(TWTY_UINT16, 3), TWCC_BADCAP},
      {ICAP_XFERMECH, TWON_ENUMERATION, Enumeration(TWTY_INT16, {0, 1, 2}, 1), TWCC_SUCCESS},
      {ICAP_UNITS, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWUN_PIXELS), TWCC_SUCCESS},
      {ICAP_UNITS, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWUN_INCHES), TWCC_BADCAP},
      // The item is as wide as its type: what lies above a 16-bit value is not read.
      {ICAP_UNITS, TWON_ONEVALUE, OneValue(TWTY_UINT16, 0xABCD0005), TWCC_SUCCESS},
      {ICAP_UNITS, TWON_ENUMERATION, Enumeration(TWTY_UINT16, {0, 5}, 1), TWCC_SUCCESS},
      {ICAP_UNITS, TWON_ENUMERATION, Enumeration(TWTY_UINT16, {0, 5}, 0), TWCC_BADCAP},
      {ICAP_BITORDER, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWBO_MSBFIRST), TWCC_SUCCESS},
      {ICAP_BITORDER, TWON_ENUMERATION, Enumeration(TWTY_UINT16, {1}, 0), TWCC_BADCAP},
      {ICAP_PIXELTYPE, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWPT_GRAY), TWCC_BADCAP},
      {ICAP_BITDEPTH, TWON_ONEVALUE, OneValue(TWTY_UINT16, 8), TWCC_BADCAP},
      {ICAP_COMPRESSION, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWCP_NONE), TWCC_BADCAP},
      {ICAP_BRIGHTNESS, TWON_ONEVALUE, OneValue(TWTY_FIX32, 0), TWCC_BADCAP},
      // The resolutions and the count take anything, a range too.
      {CAP_XFERCOUNT, TWON_RANGE, Bytes(22), TWCC_SUCCESS},
      {ICAP_XRESOLUTION, TWON_ARRAY, Bytes(8), TWCC_SUCCESS},
      // A range or an array is no value the source takes.
      {ICAP_UNITS, TWON_RANGE, Bytes(22), TWCC_BADCAP},
      {ICAP_XFERMECH, TWON_ARRAY, Bytes(8), TWCC_BADCAP},
      {ICAP_UNITS, 99, OneValue(TWTY_UINT16, TWUN_PIXELS), TWCC_BADCAP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cap 0x" << std::hex << c.cap << " container " << c.con_type);
    EXPECT_EQ(Set(c.cap, c.con_type, c.container), c.condition == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE);
    EXPECT_EQ(Condition(), c.condition);
    EXPECT_EQ(Set(c.cap, c.con_type, c.container, MSG_RESET),
              c.condition == TWCC_SUCCESS ? TWRC_SUCCESS : TWRC_FAILURE);
  }
  // The mechanism asked for changes what the enumeration says in no way.
  EXPECT_EQ(twain_ds::g_requestedXferMech, TWSX_FILE);
  EXPECT_EQ(Get(ICAP_XFERMECH).container[6], 0);
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(CapabilityTest, ContainersTheApplicationGotWrongCountAsNoValue) {
  // A null handle, a handle that cannot be locked, an index past the items.
  TW_CAPABILITY nullHandle{ICAP_UNITS, TWON_ONEVALUE, nullptr};
  EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &nullHandle), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADCAP);

  platform::faults::Arm("GlobalLock", 1, ERROR_INVALID_HANDLE);
  EXPECT_EQ(Set(ICAP_XFERMECH, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWSX_NATIVE)), TWRC_FAILURE);
  EXPECT_EQ(Set(ICAP_XFERMECH, TWON_ONEVALUE, OneValue(TWTY_UINT16, TWSX_NATIVE)), TWRC_SUCCESS);

  EXPECT_EQ(Set(ICAP_UNITS, TWON_ENUMERATION, Enumeration(TWTY_UINT16, {5}, 0xFFFFFFFF)), TWRC_FAILURE);
  EXPECT_EQ(Set(ICAP_UNITS, TWON_ENUMERATION, Enumeration(TWTY_UINT16, {5}, 1)), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADCAP);
}

TEST_F(CapabilityTest, EnumerationItemsSitAtTheStandardSizeOfTheirType) {
  // FIX32 items are four bytes apart, FRAME items sixteen and STR32 items
  // thirty-four: the current item is found where the application put it.
  struct Case {
    TW_UINT16 type;
    std::size_t size;
  };
  for (Case c : {Case{TWTY_FIX32, 4}, Case{TWTY_FRAME, 16}, Case{TWTY_STR32, 34}, Case{TWTY_STR255, 256},
                 Case{TWTY_UINT32, 4}, Case{TWTY_UINT8, 1}}) {
    EXPECT_EQ(twain_ds::ItemSizeOfType(c.type), c.size);
    Bytes block(14 + 3 * c.size, 0);
    TW_ENUMERATION e{};
    e.ItemType = c.type;
    e.NumItems = 3;
    e.CurrentIndex = 2;
    std::memcpy(block.data(), &e, 14);
    block[14 + 2 * c.size] = TWSX_MEMORY;
    block[14 + 1 * c.size] = 7;
    EXPECT_EQ(Set(ICAP_XFERMECH, TWON_ENUMERATION, block), TWRC_SUCCESS) << "type " << c.type;
  }
}

TEST_F(CapabilityTest, AFailedBlockIsLowMemoryForEveryContainer) {
  for (TW_UINT16 capId : {CAP_XFERCOUNT, CAP_SUPPORTEDCAPS, ICAP_XFERMECH}) {
    platform::faults::Arm("GlobalAlloc", 1, ERROR_NOT_ENOUGH_MEMORY);
    TW_CAPABILITY cap{capId, 0, nullptr};
    EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_FAILURE);
    EXPECT_EQ(TW_HANDLE{cap.hContainer}, nullptr);
    EXPECT_EQ(Condition(), TWCC_LOWMEMORY);
  }
  // A block that cannot be locked is not handed out either.
  std::size_t blocks = platform::LiveGlobalBlocks();
  platform::faults::Arm("GlobalLock", 1, ERROR_INVALID_HANDLE);
  EXPECT_EQ(Get(ICAP_UNITS).rc, TWRC_FAILURE);
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks);
}

TEST_F(CapabilityTest, ACapabilityTripletWritesTheConditionInEveryStateWithoutABox) {
  for (auto state :
       {twain_ds::TwainState::kLoaded, twain_ds::TwainState::kEnabled, twain_ds::TwainState::kTransferring}) {
    twain_ds::g_state = state;
    twain_ds::g_condition = TWCC_SEQERROR;
    EXPECT_EQ(Get(ICAP_UNITS).rc, TWRC_SUCCESS);
    EXPECT_EQ(twain_ds::g_condition, TWCC_SUCCESS);
    Answer unsupported = Get(ICAP_BRIGHTNESS);
    EXPECT_EQ(unsupported.rc, TWRC_FAILURE);
    EXPECT_TRUE(unsupported.container.empty());
    EXPECT_EQ(twain_ds::g_condition, TWCC_BADCAP);
  }
  EXPECT_EQ(Boxes(), 0u);

  // A null record: a bad value, quietly. An unknown MSG: a bad protocol, with the box.
  EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
  EXPECT_EQ(Boxes(), 0u);
  TW_CAPABILITY cap{ICAP_UNITS, 0, nullptr};
  EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_ENDXFER, &cap), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_CAPS.  Bad protocol error.");
}

}  // namespace
