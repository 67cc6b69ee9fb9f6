// The Format dialog as a person sees it: written as a picture, its controls
// where the template puts them.
#include <gtest/gtest.h>

#include "platform/screen_picture.h"
#include "tests/support/test_output.h"
#include "tests/twain_ds/format_dialog_fixture.h"

namespace {

using FormatDialogPictureTest = twain_ds_test::FormatDialogFixture;

TEST_F(FormatDialogPictureTest, ControlsSitAtTheirTemplatePositions) {
  auto dialogTemplate = platform::FindDialogTemplate(AfxGetInstanceHandle(), twain_ds::IDD_FORMAT);
  ASSERT_TRUE(dialogTemplate.has_value());
  EXPECT_EQ(dialogTemplate->caption, "Format");
  twain_ds::CFormatSettings settings = Loaded(twain_ds::kRg7Ntc);
  platform::Picture picture;
  int placed = 0;
  RunDialog(settings, {[&](HWND dialog) {
              picture = platform::RenderWindow(dialog);
              RECT frame;
              GetWindowRect(dialog, &frame);
              POINT client{0, 0};
              ClientToScreen(dialog, &client);
              for (const platform::DialogItem& item : dialogTemplate->items) {
                if (item.id <= 0) continue;
                // Position and size convert from dialog units each on its own.
                RECT position{item.x, item.y, item.x, item.y};
                RECT size{0, 0, item.cx, item.cy};
                MapDialogRect(dialog, &position);
                MapDialogRect(dialog, &size);
                HWND control = GetDlgItem(dialog, item.id);
                ASSERT_NE(control, nullptr) << item.id;
                RECT actual;
                GetWindowRect(control, &actual);
                EXPECT_EQ(actual.left - client.x, position.left) << item.id;
                EXPECT_EQ(actual.top - client.y, position.top) << item.id;
                EXPECT_EQ(actual.right - actual.left, size.right) << item.id;
                // A drop list's template height includes its list.
                if (item.class_name != WC_COMBOBOXA) {
                  EXPECT_EQ(actual.bottom - actual.top, size.bottom) << item.id;
                }
                ++placed;
                // In the picture an edit that takes input shows its white inside where the
                // template puts it.
                if (item.class_name == WC_EDITA && IsWindowEnabled(control)) {
                  LONG x = actual.left - frame.left + 3;
                  LONG y = actual.top - frame.top + 3;
                  EXPECT_EQ(picture.At(x, y), RGB(255, 255, 255)) << item.id;
                }
              }
            }});
  EXPECT_EQ(placed, 24);
  ASSERT_GT(picture.width, 0u);
  EXPECT_TRUE(platform::WritePng(picture, testing_support::TestOutputPath("format_dialog.png")));
}

}  // namespace
