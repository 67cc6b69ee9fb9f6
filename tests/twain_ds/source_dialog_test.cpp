#include "twain_ds/source_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/twain_ds/source_dialog_fixture.h"
#include "tests/twain_ds/test_builds.h"

namespace {

using platform::automation::Check;
using platform::automation::Click;
using platform::automation::SetText;
using twain_ds::CSourceSettings;
using twain_ds_test::kTest650Build;
using namespace twain_ds;  // control ids

using SourceDialogTest = twain_ds_test::SourceDialogFixture;

auto Stored(const CSourceSettings& s) {
  return std::make_tuple(s.tv_standard, s.input_format, s.connector, s.vcr_mode, s.strobe_on, s.strobe_delay,
                         s.strobe_width, s.port_fixed, s.camera_active, s.camera_port, s.manual_focus);
}

CSourceSettings Loaded(const BuildDescriptor& build) {
  CSourceSettings settings(build);
  settings.Load();
  return settings;
}

TEST_F(SourceDialogTest, TheControlsShowTheRecordWithTheStandardsInTheSeriesOrder) {
  struct Case {
    const BuildDescriptor* build;
    int first_radio;   // standard 0, on top and starting the group
    int second_radio;  // standard 1
    const char* vcr_text;
  };
  for (const Case& c : {Case{&kRg7Ntc, IDC_SOURCE_NTSC, IDC_SOURCE_PAL, "VCR"},
                        Case{&kTest650Build, IDC_SOURCE_PAL, IDC_SOURCE_NTSC, "VCR Mode"}}) {
    CSourceSettings settings = Loaded(*c.build);
    settings.tv_standard = 1;
    settings.input_format = CSourceSettings::kComposite;
    settings.connector = 2;
    settings.vcr_mode = true;
    settings.strobe_on = false;
    settings.strobe_delay = -3;
    settings.strobe_width = 17;
    const auto before = Stored(settings);
    SCOPED_TRACE(c.build->module_name);
    RunDialog(settings, {[&](HWND dialog) {
                HWND first = GetDlgItem(dialog, c.first_radio);
                HWND second = GetDlgItem(dialog, c.second_radio);
                EXPECT_TRUE(GetWindowLongPtrA(first, GWL_STYLE) & WS_GROUP);
                EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
                RECT firstRect, secondRect;
                GetWindowRect(first, &firstRect);
                GetWindowRect(second, &secondRect);
                EXPECT_LT(firstRect.top, secondRect.top);
                EXPECT_FALSE(Checked(dialog, c.first_radio));
                EXPECT_TRUE(Checked(dialog, c.second_radio));
                EXPECT_TRUE(Checked(dialog, IDC_SOURCE_COMPOSITE));
                EXPECT_FALSE(Checked(dialog, IDC_SOURCE_SVIDEO));
                EXPECT_FALSE(Checked(dialog, IDC_SOURCE_CONNECTOR_1));
                EXPECT_FALSE(Checked(dialog, IDC_SOURCE_CONNECTOR_2));
                EXPECT_TRUE(Checked(dialog, IDC_SOURCE_CONNECTOR_3));
                EXPECT_TRUE(Checked(dialog, IDC_SOURCE_VCR));
                EXPECT_FALSE(Checked(dialog, IDC_SOURCE_STROBE_ON));
                EXPECT_EQ(Text(dialog, IDC_SOURCE_STROBE_DELAY), "-3");
                EXPECT_EQ(Text(dialog, IDC_SOURCE_STROBE_WIDTH), "17");
                EXPECT_EQ(Text(dialog, IDC_SOURCE_VCR), c.vcr_text);
              }},
              IDOK);
    // Untouched, even OK gives the same record back.
    EXPECT_EQ(Stored(settings), before);
  }
}

TEST_F(SourceDialogTest, AStandardStoresItsPositionInTheSeriesOrder) {
  struct Case {
    const BuildDescriptor* build;
    int radio;
    int want;
  };
  const Case cases[] = {{&kRg7Ntc, IDC_SOURCE_NTSC, 0},
                        {&kRg7Ntc, IDC_SOURCE_PAL, 1},
                        {&kTest650Build, IDC_SOURCE_PAL, 0},
                        {&kTest650Build, IDC_SOURCE_NTSC, 1}};
  for (const Case& c : cases) {
    CSourceSettings settings = Loaded(*c.build);
    settings.tv_standard = 1 - c.want;
    int result = RunDialog(settings, {[&](HWND dialog) { EXPECT_TRUE(Click(GetDlgItem(dialog, c.radio))); }}, IDOK);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(settings.tv_standard, c.want) << c.build->module_name << " " << c.radio;
    EXPECT_EQ(settings.IsNtsc(), c.radio == IDC_SOURCE_NTSC) << c.build->module_name;
  }
}

TEST_F(SourceDialogTest, OkStoresTheChangedRadiosAndChecks) {
  CSourceSettings settings = Loaded(kRg7Ntc);
  CSourceSettings expected = settings;
  expected.input_format = CSourceSettings::kComposite;
  expected.connector = 1;
  expected.vcr_mode = true;
  expected.strobe_on = false;
  expected.strobe_delay = 25;
  int result = RunDialog(settings, {[](HWND dialog) {
                           EXPECT_TRUE(Click(GetDlgItem(dialog, IDC_SOURCE_COMPOSITE)));
                           EXPECT_TRUE(Click(GetDlgItem(dialog, IDC_SOURCE_CONNECTOR_2)));
                           EXPECT_TRUE(Check(GetDlgItem(dialog, IDC_SOURCE_VCR), true));
                           EXPECT_TRUE(Check(GetDlgItem(dialog, IDC_SOURCE_STROBE_ON), false));
                           EXPECT_TRUE(SetText(GetDlgItem(dialog, IDC_SOURCE_STROBE_DELAY), "25"));
                         }},
                         IDOK);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(Stored(settings), Stored(expected));
  EXPECT_EQ(settings.VideoChannel(), 1);
}

TEST_F(SourceDialogTest, TheStrobeTextsAreReadUpToTheFirstCharacterThatIsNoDigit) {
  struct Case {
    const char* text;
    int want;
  };
  for (Case c : {Case{"abc", 0}, Case{"12abc", 12}, Case{"", 0}, Case{"-4", -4}, Case{" 7", 7}}) {
    CSourceSettings settings = Loaded(kTest650Build);
    int result = RunDialog(settings, {[&](HWND dialog) {
                             SetText(GetDlgItem(dialog, IDC_SOURCE_STROBE_DELAY), c.text);
                             SetText(GetDlgItem(dialog, IDC_SOURCE_STROBE_WIDTH), c.text);
                           }},
                           IDOK);
    // No number is refused: the dialog closes with whatever the text gives.
    EXPECT_EQ(result, IDOK) << c.text;
    EXPECT_EQ(settings.strobe_delay, c.want) << c.text;
    EXPECT_EQ(settings.strobe_width, c.want) << c.text;
  }
}

TEST_F(SourceDialogTest, CancelLeavesTheRecordAsItWas) {
  for (const BuildDescriptor* build : {&kRg7Ntc, &kTest650Build}) {
    CSourceSettings settings = Loaded(*build);
    settings.strobe_delay = 9;
    const auto before = Stored(settings);
    int result = RunDialog(settings, {[](HWND dialog) {
                             Click(GetDlgItem(dialog, IDC_SOURCE_PAL));
                             Click(GetDlgItem(dialog, IDC_SOURCE_NTSC));
                             Click(GetDlgItem(dialog, IDC_SOURCE_COMPOSITE));
                             Click(GetDlgItem(dialog, IDC_SOURCE_CONNECTOR_3));
                             Check(GetDlgItem(dialog, IDC_SOURCE_VCR), true);
                             Check(GetDlgItem(dialog, IDC_SOURCE_STROBE_ON), false);
                             SetText(GetDlgItem(dialog, IDC_SOURCE_STROBE_DELAY), "abc");
                             SetText(GetDlgItem(dialog, IDC_SOURCE_STROBE_WIDTH), "40");
                           }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Stored(settings), before) << build->module_name;
  }
}

TEST_F(SourceDialogTest, The650SeriesRussianTemplateHasTheEnglishControls) {
  struct LanguageScope {
    ~LanguageScope() { platform::SetUiLanguage(0); }
  } restore;
  platform::SetUiLanguage(platform::kLanguageRussian);
  CSourceSettings settings = Loaded(kTest650Build);
  int result = RunDialog(settings, {[](HWND dialog) { Click(GetDlgItem(dialog, IDC_SOURCE_PAL)); }}, IDOK);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(settings.tv_standard, 0);

  auto russian = platform::FindDialogTemplate(AfxGetInstanceHandle(), IDD_SOURCE);
  platform::SetUiLanguage(platform::kLanguageEnglish);
  auto english = platform::FindDialogTemplate(AfxGetInstanceHandle(), IDD_SOURCE);
  ASSERT_TRUE(russian && english);
  EXPECT_EQ(russian->language, platform::kLanguageRussian);
  EXPECT_EQ(english->language, platform::kLanguageEnglish);
  EXPECT_EQ(std::tie(russian->style, russian->cx, russian->cy), std::tie(english->style, english->cx, english->cy));
  ASSERT_EQ(russian->items.size(), english->items.size());
  for (std::size_t i = 0; i < english->items.size(); ++i) {
    const platform::DialogItem& r = russian->items[i];
    const platform::DialogItem& e = english->items[i];
    EXPECT_EQ(std::tie(r.class_name, r.id, r.style, r.x, r.y, r.cx, r.cy),
              std::tie(e.class_name, e.id, e.style, e.x, e.y, e.cx, e.cy))
        << i;
  }

  // The 700-series sources have only the English template.
  platform::SetUiLanguage(platform::kLanguageRussian);
  platform::UnregisterModuleResources(AfxGetInstanceHandle());
  ASSERT_TRUE(RegisterDataSourceResources(AfxGetInstanceHandle(), kRg7Ntc));
  EXPECT_EQ(platform::FindDialogTemplate(AfxGetInstanceHandle(), IDD_SOURCE)->language, platform::kLanguageEnglish);
}

}  // namespace
