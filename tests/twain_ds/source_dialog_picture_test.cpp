// The Source dialog as a person sees it: written as a picture of the screen, its
// controls where the template puts them, in their group boxes, none over
// another and each wide enough for its text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/screen_picture.h"
#include "tests/support/test_output.h"
#include "tests/twain_ds/source_dialog_fixture.h"
#include "tests/twain_ds/test_builds.h"

namespace {

using SourceDialogPictureTest = twain_ds_test::SourceDialogFixture;

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Pixels the text needs beside what the control draws around it.
int TextWidth(const platform::DialogItem& item) {
  int text = static_cast<int>(item.text.size()) * platform::kFontCellWidth;
  if (item.class_name != WC_BUTTONA) return text;
  DWORD type = item.style & BS_TYPEMASK;
  if (type == BS_GROUPBOX) return text + 14;                           // title indent and gap
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return text;  // centred
  return text + 17;                                                    // mark and gap
}

TEST_F(SourceDialogPictureTest, EachSeriesDialogIsLaidOutCleanly) {
  struct Case {
    const twain_ds::BuildDescriptor* build;
    const char* picture;
  };
  for (const Case& c : {Case{&twain_ds::kRg7Ntc, "source_dialog_rg7.png"},
                        Case{&twain_ds_test::kTest650Build, "source_dialog_kt6.png"}}) {
    SCOPED_TRACE(c.build->module_name);
    twain_ds::CSourceSettings settings(*c.build);
    settings.Load();
    platform::Picture screen;
    int placed = 0;
    RunDialog(settings, {[&](HWND dialog) {
                screen = platform::RenderScreen();
                auto dialogTemplate = platform::FindDialogTemplate(AfxGetInstanceHandle(), twain_ds::IDD_SOURCE);
                ASSERT_TRUE(dialogTemplate.has_value());
                EXPECT_EQ(dialogTemplate->caption, "Source");
                RECT client;
                GetClientRect(dialog, &client);
                std::vector<RECT> groups, controls, framed;
                for (const platform::DialogItem& item : dialogTemplate->items) {
                  RECT r{item.x, item.y, item.x + item.cx, item.y + item.cy};
                  MapDialogRect(dialog, &r);
                  EXPECT_TRUE(Inside(r, client)) << item.text;
                  EXPECT_LE(TextWidth(item), r.right - r.left) << item.text;
                  bool isGroup = item.class_name == WC_BUTTONA && (item.style & BS_TYPEMASK) == BS_GROUPBOX;
                  (isGroup ? groups : controls).push_back(r);
                  if (!isGroup && item.id != IDOK && item.id != IDCANCEL && item.id != twain_ds::IDC_SOURCE_VCR)
                    framed.push_back(r);
                  if (item.id <= 0) continue;
                  HWND control = GetDlgItem(dialog, item.id);
                  ASSERT_NE(control, nullptr) << item.id;
                  RECT actual;
                  GetWindowRect(control, &actual);
                  POINT origin{0, 0};
                  ClientToScreen(dialog, &origin);
                  EXPECT_EQ(actual.left - origin.x, r.left) << item.id;
                  EXPECT_EQ(actual.top - origin.y, r.top) << item.id;
                  ++placed;
                  // An edit shows its white inside on the screen where the template puts it.
                  if (item.class_name == WC_EDITA) {
                    EXPECT_EQ(screen.At(static_cast<DWORD>(actual.left + 3), static_cast<DWORD>(actual.top + 3)),
                              RGB(255, 255, 255))
                        << item.id;
                  }
                }
                for (std::size_t i = 0; i < controls.size(); ++i)
                  for (std::size_t j = i + 1; j < controls.size(); ++j)
                    EXPECT_FALSE(Overlap(controls[i], controls[j])) << i << " " << j;
                for (std::size_t i = 0; i < groups.size(); ++i)
                  for (std::size_t j = i + 1; j < groups.size(); ++j)
                    EXPECT_FALSE(Overlap(groups[i], groups[j])) << i << " " << j;
                // Every control but the VCR check and the closing buttons sits in a group box.
                for (const RECT& r : framed) {
                  int framing = 0;
                  for (const RECT& g : groups) framing += Inside(r, g);
                  EXPECT_EQ(framing, 1) << r.left << "," << r.top;
                }
              }});
    EXPECT_EQ(placed, 13);
    ASSERT_GT(screen.width, 0u);
    EXPECT_TRUE(platform::WritePng(screen, testing_support::TestOutputPath(c.picture)));
  }
}

}  // namespace
