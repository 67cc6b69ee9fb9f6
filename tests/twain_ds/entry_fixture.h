// A started data source of the test's own (the 700-series build on Windows NT),
// entered through DS_Entry as a source manager enters it. The module-wide words
// start as at a fresh load.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/fault_injection.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/identity.h"
#include "twain_ds/resource_scripts.h"
#include "twain_ds/twain_ds.h"
#include "twain_ds/twain_state.h"

namespace twain_ds_test {

class EntryFixture : public ::testing::Test {
 protected:
  EntryFixture() {
    platform::RegisterModuleResources(app_.m_hInstance, twain_ds::kRg7StringsScript);
    app_.InitInstance();
    twain_ds::g_state = twain_ds::TwainState::kLoaded;
    twain_ds::g_condition = TWCC_SUCCESS;
    twain_ds::g_parentWindow = nullptr;
    twain_ds::g_mainDialog = nullptr;
    std::strcpy(application_.ProductName, "Test application");
    platform::ClearMessageBoxLog();
  }
  ~EntryFixture() override {
    platform::faults::DisarmAll();
    platform::UnregisterModuleResources(app_.m_hInstance);
  }

  TW_UINT16 Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    return DS_Entry(&application_, dg, dat, msg, data);
  }
  // DAT_STATUS MSG_GET: the condition code, read and cleared.
  TW_UINT16 Condition() {
    TW_STATUS status{0xFFFF, 0xFFFF};
    EXPECT_EQ(Call(DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    return status.ConditionCode;
  }
  // Connects the test's application as MSG_OPENDS would.
  void Connect(TW_UINT32 id = 7) {
    application_.Id = id;
    twain_ds::g_appIdentity = application_;
  }
  static std::size_t Boxes() { return platform::MessageBoxLog().size(); }
  static std::string LastBoxText() {
    auto log = platform::MessageBoxLog();
    return log.empty() ? std::string() : log.back().text;
  }

  twain_ds::CDataSourceApp app_{twain_ds::kRg7Ntc};
  TW_IDENTITY application_{};
};

}  // namespace twain_ds_test
