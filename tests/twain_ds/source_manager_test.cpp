// The 700-series data sources as the test source manager finds, loads and unloads
// them, and as the test application talks to them through it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "outside/twain_app/test_application.h"
#include "outside/twain_dsm/twain_dsm.h"
#include "platform/global_memory.h"
#include "platform/kernel_objects.h"
#include "platform/message_box.h"
#include "sim/machine.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_machine.h"

namespace {

using Bytes = twain_app::Bytes;

// The names the builds give themselves, cut to a TW_STR32.
const std::string kNtcName = std::string("Zephlor/QSI/OBC/Kessra RG700 (WinNT)").substr(0, 33);
const std::string k95vName = std::string("Zephlor/QSI/Orbicam RG700 (Win9x)").substr(0, 33);

std::string NameOf(const TW_IDENTITY& identity) {
  char name[sizeof(TW_STR32)];
  std::memcpy(name, identity.ProductName, sizeof name);
  name[sizeof name - 1] = '\0';
  return name;
}

using testing_support::ThreadCount;

bool Loaded(const char* path) {
  void* handle = ::dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (handle) ::dlclose(handle);
  return handle != nullptr;
}

class DataSourceThroughManager : public ::testing::Test {
 protected:
  // Both 700-series builds installed side by side, as a source directory holds them.
  void PowerOn(bool withVxd = true) {
    sim::MachineDescription machine = sim::MachineDescription::Default();
    machine.rg7_w95_vxd = withVxd;
    sim::PowerOn(machine);
    std::filesystem::copy_file(RG7_NTC_PATH, sources_.File("rg7_ntc.ds"));
    std::filesystem::copy_file(RG7_95V_PATH, sources_.File("rg7_95v.ds"));
    twain_dsm::SetSourcePath(sources_.path());
    platform::ClearMessageBoxLog();
  }
  ~DataSourceThroughManager() override {
    twain_dsm::SetRawMode(false);
    sim::PowerOff();
  }

  testing_support::TempDir sources_;
};

TEST_F(DataSourceThroughManager, BothBuildsAreListedWithTheirIdentitiesAndNothingStaysBehind) {
  PowerOn();
  auto listOnce = [] {
    twain_app::TestApplication app;
    EXPECT_EQ(app.OpenManager(), TWRC_SUCCESS);
    std::vector<TW_IDENTITY> listed = app.ListSources();
    EXPECT_EQ(app.CloseManager(), TWRC_SUCCESS);
    return listed;
  };
  listOnce();
  std::size_t handles = platform::OpenHandleCount();
  std::size_t threads = ThreadCount();
  std::size_t blocks = platform::LiveGlobalBlocks();
  for (int round = 0; round < 3; ++round) {
    std::vector<TW_IDENTITY> listed = listOnce();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(NameOf(listed[0]), k95vName);
    EXPECT_EQ(NameOf(listed[1]), kNtcName);
    TW_IDENTITY ntc = listed[1];
    EXPECT_EQ(+ntc.Version.MajorNum, 1);
    EXPECT_EQ(+ntc.Version.MinorNum, 0);
    EXPECT_STREQ(ntc.Version.Info, "V 1.00");
    EXPECT_EQ(+ntc.ProtocolMajor, 1);
    EXPECT_EQ(+ntc.ProtocolMinor, 5);
    EXPECT_EQ(+ntc.SupportedGroups, DG_CONTROL | DG_IMAGE);
    EXPECT_STREQ(ntc.Manufacturer, "Quillon Technologies, Inc.");
    EXPECT_STREQ(ntc.ProductFamily, "TWAIN");
  }
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 0u);
  EXPECT_FALSE(Loaded(sources_.File("rg7_ntc.ds").c_str()));
  EXPECT_FALSE(Loaded(sources_.File("rg7_95v.ds").c_str()));
  EXPECT_EQ(platform::OpenHandleCount(), handles);
  EXPECT_EQ(ThreadCount(), threads);
  EXPECT_EQ(platform::LiveGlobalBlocks(), blocks);
  EXPECT_TRUE(platform::MessageBoxLog().empty());
}

TEST_F(DataSourceThroughManager, TheWindows95BuildWithoutItsVxdAnswersNothing) {
  PowerOn(false);
  twain_app::TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  std::vector<TW_IDENTITY> listed = app.ListSources();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(NameOf(listed[0]), kNtcName);

  // Under a host's own dlopen the module is there, but refuses every triplet.
  void* module = ::dlopen(sources_.File("rg7_95v.ds").c_str(), RTLD_LAZY | RTLD_LOCAL);
  ASSERT_NE(module, nullptr);
  auto entry = reinterpret_cast<DSENTRYPROC>(::dlsym(module, "DS_Entry"));
  ASSERT_NE(entry, nullptr);
  TW_IDENTITY identity{};
  EXPECT_EQ(entry(&app.identity(), DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_FAILURE);
  TW_STATUS status{};
  EXPECT_EQ(entry(&app.identity(), DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  TW_CAPABILITY cap{ICAP_UNITS, 0, nullptr};
  EXPECT_EQ(entry(&app.identity(), DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_FAILURE);
  EXPECT_EQ(TW_HANDLE{cap.hContainer}, nullptr);
  EXPECT_EQ(identity.ProductName[0], '\0');
  ::dlclose(module);
  EXPECT_TRUE(platform::MessageBoxLog().empty());
}

class ClosedSourceThroughManager : public DataSourceThroughManager {
 protected:
  void SetUp() override {
    PowerOn();
    ASSERT_EQ(app_.OpenManager(), TWRC_SUCCESS);
    twain_dsm::SetRawMode(true);
    std::strcpy(app_.source().ProductName, kNtcName.c_str());
  }

  twain_app::TestApplication app_;
};

TEST_F(ClosedSourceThroughManager, StatusRoutingAndTheFailureBoxBeforeTheSourceIsOpened) {
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(app_.Send(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_FAILURE);
  auto boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "General failure in response to DAT_PENDINGXFER.  DG DAT MSG is out of expected sequence.");
  EXPECT_EQ(boxes[0].caption, "Zephlor data source Error");
  EXPECT_EQ(app_.SourceCondition(), TWCC_SEQERROR);
  EXPECT_EQ(app_.SourceCondition(), TWCC_SUCCESS);

  TW_UINT32 anything = 0;
  EXPECT_EQ(app_.Send(4, DAT_CAPABILITY, MSG_GET, &anything), TWRC_FAILURE);
  EXPECT_EQ(app_.SourceCondition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(app_.Send(DG_IMAGE, DAT_GRAYRESPONSE, MSG_GET, &anything), TWRC_FAILURE);
  EXPECT_EQ(app_.SourceCondition(), TWCC_BADPROTOCOL);
  EXPECT_EQ(platform::MessageBoxLog().size(), 1u);

  // A manager may ask for the identity without an origin; with no dialog the
  // source takes no event.
  TW_IDENTITY identity{};
  EXPECT_EQ(DSM_Entry(nullptr, &app_.source(), DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
  EXPECT_EQ(NameOf(identity), kNtcName);
  MSG msg{app_.window(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  TW_EVENT event{&msg, 0x55};
  EXPECT_EQ(app_.Send(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
  EXPECT_EQ(+event.TWMessage, 0x55);
}

TEST_F(ClosedSourceThroughManager, CapabilitiesAsTheApplicationReceivesAndFreesThem) {
  twain_app::CapabilityAnswer caps = app_.GetCapability(CAP_SUPPORTEDCAPS);
  EXPECT_EQ(caps.rc, TWRC_SUCCESS);
  EXPECT_EQ(caps.con_type, TWON_ARRAY);
  EXPECT_EQ(caps.allocated, 37u);
  EXPECT_EQ(caps.container.size(), 36u);
  // Until settings are loaded at an open, the format is grey.
  EXPECT_EQ(app_.GetCapability(ICAP_PIXELTYPE).container, (Bytes{0x04, 0x00, TWPT_GRAY, 0, 0, 0}));

  EXPECT_EQ(app_.SetOneValue(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS);
  twain_app::CapabilityAnswer mech = app_.GetCapability(ICAP_XFERMECH, MSG_GETCURRENT);
  EXPECT_EQ(mech.allocated, 21u);
  EXPECT_EQ(mech.container, (Bytes{0x01, 0x00, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0}));
  EXPECT_EQ(app_.SetOneValue(ICAP_UNITS, TWTY_UINT16, TWUN_INCHES), TWRC_FAILURE);
  EXPECT_EQ(app_.SourceCondition(), TWCC_BADCAP);
  EXPECT_TRUE(platform::MessageBoxLog().empty());
}

}  // namespace
