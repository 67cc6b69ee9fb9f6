// DS_Entry: routing, the TWAIN states of the small control requests, the
// condition word, the failure box, and triplets that are not the connected
// application's or that carry no record.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/afx/dialog.h"
#include "sim/machine.h"
#include "tests/twain_ds/entry_fixture.h"
#include "twain_ds/format_dialog_ids.h"
#include "twain_ds/twain_error.h"

namespace {

using twain_ds::TwainState;

constexpr TwainState kStates[] = {TwainState::kLoaded, TwainState::kOpen, TwainState::kEnabled, TwainState::kXferReady,
                                  TwainState::kTransferring};

class EntryTest : public twain_ds_test::EntryFixture {};

TEST_F(EntryTest, StatusReportsTheLastFailureOnce) {
  EXPECT_EQ(Condition(), TWCC_SUCCESS);
  EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr), TWRC_FAILURE);
  // A later triplet that succeeds leaves the code in place.
  TW_IDENTITY identity{};
  EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
  EXPECT_EQ(Condition(), TWCC_SEQERROR);
  EXPECT_EQ(Condition(), TWCC_SUCCESS);

  TW_STATUS status{};
  EXPECT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_SET, &status), TWRC_FAILURE);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_STATUS.  Bad protocol error.");
  EXPECT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
}

TEST_F(EntryTest, PendingTransfersFollowTheState) {
  struct Case {
    TW_UINT16 msg;
    TwainState from;
    TW_UINT16 rc;
    TwainState to;
  };
  std::vector<Case> cases;
  for (TwainState s : kStates) {
    bool open = s != TwainState::kLoaded;
    bool ready = s == TwainState::kXferReady || s == TwainState::kTransferring;
    cases.push_back({MSG_GET, s, open ? TWRC_SUCCESS : TWRC_FAILURE, s});
    cases.push_back({MSG_RESET, s, ready ? TWRC_SUCCESS : TWRC_FAILURE, ready ? TwainState::kEnabled : s});
    cases.push_back({MSG_ENDXFER, s, TWRC_SUCCESS, ready ? TwainState::kEnabled : s});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "MSG 0x" << std::hex << c.msg << " in " << std::dec << static_cast<int>(c.from));
    twain_ds::g_state = c.from;
    TW_PENDINGXFERS pending{5, 0};
    EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, c.msg, &pending), c.rc);
    EXPECT_EQ(twain_ds::g_state, c.to);
    EXPECT_EQ(+pending.Count, c.rc == TWRC_SUCCESS ? 0 : 5);
    EXPECT_EQ(Condition(), c.rc == TWRC_SUCCESS ? TWCC_SUCCESS : TWCC_SEQERROR);
  }
  twain_ds::g_state = TwainState::kXferReady;
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_SET, &pending), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(twain_ds::g_state, TwainState::kXferReady);
}

TEST_F(EntryTest, TheTransferGroupIsImagesWhileOpen) {
  for (TwainState s : kStates) {
    twain_ds::g_state = s;
    for (TW_UINT16 msg : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET, MSG_SET}) {
      TW_UINT32 group = 0xDEAD;
      TW_UINT16 rc = Call(DG_CONTROL, DAT_XFERGROUP, msg, &group);
      if (s == TwainState::kLoaded) {
        EXPECT_EQ(rc, TWRC_FAILURE);
        EXPECT_EQ(Condition(), TWCC_SEQERROR);
        EXPECT_EQ(LastBoxText(),
                  "General failure in response to DAT_XFERGROUP, not supported.  "
                  "DG DAT MSG is out of expected sequence.");
      } else {
        EXPECT_EQ(rc, TWRC_SUCCESS);
        EXPECT_EQ(group, msg == MSG_SET ? 0xDEADu : DG_IMAGE);
      }
      EXPECT_EQ(twain_ds::g_state, s);
    }
  }
  twain_ds::g_state = TwainState::kOpen;
  EXPECT_EQ(Call(DG_CONTROL, DAT_XFERGROUP, MSG_ENDXFER, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(Call(DG_CONTROL, DAT_XFERGROUP, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
}

TEST_F(EntryTest, RoutingFailuresAreABadProtocolWithoutABox) {
  TW_UINT32 anything = 0;
  EXPECT_EQ(Call(4, DAT_CAPABILITY, MSG_GET, &anything), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(Call(DG_IMAGE, DAT_GRAYRESPONSE, MSG_GET, &anything), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(Call(DG_CONTROL, DAT_PARENT, MSG_GET, &anything), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(EntryTest, OutOfSequenceRequestsShowTheirBox) {
  twain_ds::g_parentWindow = reinterpret_cast<HWND>(0x1234);
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_FAILURE);
  auto log = platform::MessageBoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "General failure in response to DAT_PENDINGXFER.  DG DAT MSG is out of expected sequence.");
  EXPECT_EQ(log[0].caption, "Zephlor data source Error");
  EXPECT_EQ(log[0].owner, twain_ds::g_parentWindow);
  EXPECT_EQ(log[0].style, MB_OK);

  // Every request that needs an open source: its own box in state 300.
  struct Case {
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    const char* lead;
  };
  const Case cases[] = {
      {DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, "General failure in response to MSG_CLOSEDS.  "},
      {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, "General failure in response to MSG_ENABLEDS.  "},
      {DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, "General failure in response to MSG_DISABLEDS.  "},
      {DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, "General failure in response to DAT_SETUPMEMXFER, not supported.  "},
      {DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, "General failure in response to DAT_SETUPFILEXFER, not supported.  "},
      {DG_IMAGE, DAT_IMAGEINFO, MSG_GET, "General failure in transfer.  "},
      {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, "General failure in response to DAT_IMAGENATIVEXFER.  "},
  };
  for (const Case& c : cases) {
    TW_UINT8 record[300] = {};
    EXPECT_EQ(Call(c.dg, c.dat, c.msg, record), TWRC_FAILURE);
    EXPECT_EQ(LastBoxText(), std::string(c.lead) + "DG DAT MSG is out of expected sequence.");
    EXPECT_EQ(Condition(), TWCC_SEQERROR);
  }
  // A MSG that the request does not know.
  TW_UINT8 record[300] = {};
  EXPECT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_GET, record), TWRC_FAILURE);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_USERINTERFACE.  Bad protocol error.");
  EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_SET, record), TWRC_FAILURE);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_IDENTITY.  Bad protocol error.");
  EXPECT_EQ(Condition(), TWCC_BADPROTOCOL);
  // Image information is not given during a transfer.
  twain_ds::g_state = TwainState::kTransferring;
  TW_IMAGEINFO info{};
  EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_SEQERROR);
}

TEST_F(EntryTest, EachConditionHasItsOwnText) {
  const std::pair<TW_UINT16, const char*> texts[] = {
      {0, "Success message from detailed error request ??"},
      {1, "Bummer error."},
      {2, "Low Memory Condition encountered, free up some memory and try again."},
      {3, "No Data Source found error."},
      {4, "Source is connected to max possible apps."},
      {5, "An operation error just occurred."},
      {6, "Bad capabilities error."},
      {7, "Unknown Error value in condition code."},
      {8, "Unknown Error value in condition code."},
      {9, "Bad protocol error."},
      {10, "Bad value error."},
      {11, "DG DAT MSG is out of expected sequence."},
      {12, "Unknown Error value in condition code."},
  };
  for (auto [condition, text] : texts) {
    twain_ds::ReportTwainError("General failure in transfer file open.  ", condition);
    EXPECT_EQ(LastBoxText(), std::string("General failure in transfer file open.  ") + text);
  }
}

TEST_F(EntryTest, TheIdentityIsGivenInEveryStateAndWithoutAnOrigin) {
  for (TwainState s : kStates) {
    twain_ds::g_state = s;
    TW_IDENTITY identity{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(std::memcmp(&identity, &twain_ds::g_ownIdentity, sizeof identity), 0);
  }
  Connect();
  TW_IDENTITY identity{};
  EXPECT_EQ(DS_Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
  EXPECT_STREQ(identity.ProductName, twain_ds::g_ownIdentity.ProductName);
  EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, nullptr), TWRC_FAILURE);
  EXPECT_EQ(Condition(), TWCC_BADVALUE);
  EXPECT_EQ(LastBoxText(), "General failure in response to DAT_IDENTITY.  Bad value error.");
}

TEST_F(EntryTest, AnotherApplicationChangesNothing) {
  Connect(7);
  twain_ds::g_state = TwainState::kXferReady;
  twain_ds::g_condition = TWCC_BADCAP;
  TW_IDENTITY other = application_;
  other.Id = 8;
  TW_PENDINGXFERS pending{3, 0};
  EXPECT_EQ(DS_Entry(&other, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);
  TW_STATUS status{9, 9};
  EXPECT_EQ(DS_Entry(&other, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  TW_UINT32 group = 0;
  EXPECT_EQ(DS_Entry(&other, 4, 0, MSG_GET, &group), TWRC_FAILURE);
  TW_EVENT event{nullptr, 0};
  EXPECT_EQ(DS_Entry(&other, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
  // No origin at all is no connected application either.
  EXPECT_EQ(DS_Entry(nullptr, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);
  EXPECT_EQ(+pending.Count, 3);
  EXPECT_EQ(+status.ConditionCode, 9);
  EXPECT_EQ(twain_ds::g_state, TwainState::kXferReady);
  EXPECT_EQ(twain_ds::g_condition, TWCC_BADCAP);
  EXPECT_EQ(Boxes(), 0u);
  // The connected application is served.
  EXPECT_EQ(Condition(), TWCC_BADCAP);
}

TEST_F(EntryTest, EventsGoToTheMainDialogOnly) {
  TW_EVENT event{nullptr, 0x77};
  EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);

  // A modeless dialog standing in for the main dialog.
  sim::PowerOn();
  platform::RegisterModuleResources(app_.m_hInstance, twain_ds::kFormatDialogScript);
  CDialog dialog(102);
  ASSERT_TRUE(dialog.Create(102));
  twain_ds::g_mainDialog = &dialog;
  EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr), TWRC_NOTDSEVENT);
  EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
  // A key for one of its controls is the dialog's; a message of another window is not.
  MSG key{GetDlgItem(dialog.m_hWnd, twain_ds::IDC_FORMAT_WIDTH), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  event = TW_EVENT{&key, 0x77};
  EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
  EXPECT_EQ(+event.TWMessage, MSG_NULL);
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  MSG foreign{other, WM_KEYDOWN, VK_TAB, 0, 0, {}};
  event = TW_EVENT{&foreign, 0x77};
  EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
  EXPECT_EQ(+event.TWMessage, 0x77);
  EXPECT_EQ(twain_ds::g_condition, TWCC_SUCCESS);
  // Another application's key never reaches the dialog.
  Connect(7);
  TW_IDENTITY stranger = application_;
  stranger.Id = 8;
  event = TW_EVENT{&key, 0x77};
  EXPECT_EQ(DS_Entry(&stranger, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
  EXPECT_EQ(+event.TWMessage, 0x77);

  twain_ds::g_mainDialog = nullptr;
  DestroyWindow(other);
  dialog.DestroyWindow();
  sim::PowerOff();
}

TEST(EntryStartUp, ASourceThatDidNotStartAnswersNothing) {
  twain_ds::CDataSourceApp app(twain_ds::kRg7Ntc);
  TW_IDENTITY identity{};
  EXPECT_EQ(DS_Entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_FAILURE);
  TW_EVENT event{nullptr, 0};
  EXPECT_EQ(DS_Entry(nullptr, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_FAILURE);
  EXPECT_EQ(identity.ProductName[0], '\0');
}

}  // namespace
