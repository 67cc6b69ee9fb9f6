#include "twain_ds/format_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/twain_ds/format_dialog_fixture.h"
#include "tests/twain_ds/test_builds.h"

namespace {

using platform::automation::Click;
using platform::automation::MoveSlider;
using platform::automation::Select;
using platform::automation::SetText;
using twain_ds::CFormatSettings;
using namespace twain_ds;  // control ids and change codes

using FormatDialogTest = twain_ds_test::FormatDialogFixture;

// Everything the dialog edits, to compare two records field by field.
struct Fields {
  int hue, saturation, brightness, contrast, width, height, offset_x, offset_y, zoom, color;
  COLORREF key;
  explicit Fields(const CFormatSettings& s)
      : hue(s.hue),
        saturation(s.saturation),
        brightness(s.brightness),
        contrast(s.contrast),
        width(s.window_width),
        height(s.window_height),
        offset_x(s.offset_x),
        offset_y(s.offset_y),
        zoom(s.zoom),
        color(s.color),
        key(s.color_key) {}
  bool operator==(const Fields&) const = default;
};

TEST_F(FormatDialogTest, EachSliderPostsItsCodeAndChangesOnlyItsField) {
  struct Case {
    int slider;
    int edit;
    int position;
    int CFormatSettings::*field;
    FormatChange code;
  };
  const Case cases[] = {
      {IDC_FORMAT_HUE_SLIDER, IDC_FORMAT_HUE, -40, &CFormatSettings::hue, kChangeHue},
      {IDC_FORMAT_SATURATION_SLIDER, IDC_FORMAT_SATURATION, 200, &CFormatSettings::saturation, kChangeSaturation},
      {IDC_FORMAT_BRIGHTNESS_SLIDER, IDC_FORMAT_BRIGHTNESS, 30, &CFormatSettings::brightness, kChangeBrightness},
      {IDC_FORMAT_CONTRAST_SLIDER, IDC_FORMAT_CONTRAST, 250, &CFormatSettings::contrast, kChangeContrast},
      {IDC_FORMAT_WIDTH_SLIDER, IDC_FORMAT_WIDTH, 500, &CFormatSettings::window_width, kChangeWidth},
      {IDC_FORMAT_HEIGHT_SLIDER, IDC_FORMAT_HEIGHT, 300, &CFormatSettings::window_height, kChangeHeight},
      {IDC_FORMAT_OFFSET_X_SLIDER, IDC_FORMAT_OFFSET_X, 20, &CFormatSettings::offset_x, kChangeOffsetX},
      {IDC_FORMAT_OFFSET_Y_SLIDER, IDC_FORMAT_OFFSET_Y, 40, &CFormatSettings::offset_y, kChangeOffsetY},
  };
  for (const Case& c : cases) {
    Codes().clear();
    CFormatSettings settings = Loaded(kRg7Ntc, 600, 400);
    CFormatSettings expected = settings;
    expected.*c.field = c.position;
    std::string shown;
    RunDialog(settings, {[&](HWND dialog) { EXPECT_TRUE(MoveSlider(GetDlgItem(dialog, c.slider), c.position)); },
                         [&](HWND dialog) {
                           // The edit beside the slider follows it.
                           char text[16] = {};
                           GetDlgItemTextA(dialog, c.edit, text, sizeof text);
                           shown = text;
                         }});
    EXPECT_EQ(Fields(settings), Fields(expected)) << c.slider;
    ASSERT_FALSE(Codes().empty()) << c.slider;
    for (WPARAM code : Codes()) EXPECT_EQ(code, static_cast<WPARAM>(c.code)) << c.slider;
    EXPECT_EQ(shown, std::to_string(c.position)) << c.slider;
  }
}

TEST_F(FormatDialogTest, DefaultSetsTheSeriesPictureValues) {
  CFormatSettings rg7 = Loaded(kRg7Ntc);
  RunDialog(rg7, {[](HWND dialog) { EXPECT_TRUE(SetText(GetDlgItem(dialog, IDC_FORMAT_HUE), "33")); },
                  [](HWND dialog) { EXPECT_TRUE(Click(GetDlgItem(dialog, IDC_FORMAT_DEFAULT))); },
                  [](HWND dialog) {
                    EXPECT_EQ(SliderPos(dialog, IDC_FORMAT_HUE_SLIDER), 0);
                    EXPECT_EQ(SliderPos(dialog, IDC_FORMAT_CONTRAST_SLIDER), 128);
                  }});
  EXPECT_EQ(rg7.brightness, 128);
  EXPECT_EQ(rg7.contrast, 128);
  EXPECT_EQ(rg7.hue, 0);
  EXPECT_EQ(rg7.saturation, 128);
  EXPECT_EQ(Codes(), (std::vector<WPARAM>{kChangeHue, kChangeRestart}));

  Codes().clear();
  CFormatSettings kt6 = Loaded(twain_ds_test::kTest650Build);
  RunDialog(kt6, {[](HWND dialog) { EXPECT_TRUE(SetText(GetDlgItem(dialog, IDC_FORMAT_HUE), "33")); },
                  [](HWND dialog) { Click(GetDlgItem(dialog, IDC_FORMAT_DEFAULT)); }});
  EXPECT_EQ(kt6.brightness, 128);
  EXPECT_EQ(kt6.contrast, 64);
  EXPECT_EQ(kt6.hue, 0);
  EXPECT_EQ(kt6.saturation, 64);
  // The 650-series preview restarts on every change.
  EXPECT_EQ(Codes(), (std::vector<WPARAM>{kChangeRestart, kChangeRestart}));
}

TEST_F(FormatDialogTest, AValueOutOfRangeShowsTheRangeBoxAndKeepsTheDialogOpen) {
  CFormatSettings settings = Loaded(kRg7Ntc);
  bool focusOnHue = false;
  int result = RunDialog(settings, {[](HWND dialog) { SetText(GetDlgItem(dialog, IDC_FORMAT_HUE), "300"); },
                                    [](HWND dialog) { Click(GetDlgItem(dialog, IDOK)); },
                                    [&](HWND dialog) {
                                      EXPECT_TRUE(IsWindowVisible(dialog));
                                      focusOnHue = GetFocus() == GetDlgItem(dialog, IDC_FORMAT_HUE);
                                    }});
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(focusOnHue);
  EXPECT_EQ(settings.hue, 0);
  auto boxes = platform::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 2u);  // at the edit's change, then at OK
  EXPECT_EQ(boxes[1].text, "Please enter an integer between -128 and 127.");
  EXPECT_TRUE(Codes().empty());

  // The 650 series accepts less saturation.
  platform::ClearMessageBoxLog();
  CFormatSettings kt6 = Loaded(twain_ds_test::kTest650Build);
  RunDialog(kt6, {[](HWND dialog) { SetText(GetDlgItem(dialog, IDC_FORMAT_SATURATION), "128"); }});
  ASSERT_EQ(platform::MessageBoxLog().size(), 1u);
  EXPECT_EQ(platform::MessageBoxLog()[0].text, "Please enter an integer between 0 and 127.");
}

TEST_F(FormatDialogTest, OffsetControlsAreDisabledWhileTheWindowFillsTheFrame) {
  CFormatSettings settings = Loaded(kRg7Ntc);
  bool enabledAtStart = true;
  bool enabledAfterWidth = false;
  bool yEnabled = true;
  RunDialog(settings, {[&](HWND dialog) {
                         enabledAtStart = IsWindowEnabled(GetDlgItem(dialog, IDC_FORMAT_OFFSET_X_SLIDER)) ||
                                          IsWindowEnabled(GetDlgItem(dialog, IDC_FORMAT_OFFSET_X));
                         SetText(GetDlgItem(dialog, IDC_FORMAT_WIDTH), "600");
                       },
                       [&](HWND dialog) {
                         enabledAfterWidth = IsWindowEnabled(GetDlgItem(dialog, IDC_FORMAT_OFFSET_X_SLIDER)) &&
                                             IsWindowEnabled(GetDlgItem(dialog, IDC_FORMAT_OFFSET_X));
                         yEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_FORMAT_OFFSET_Y_SLIDER));
                       }});
  EXPECT_FALSE(enabledAtStart);
  EXPECT_TRUE(enabledAfterWidth);
  EXPECT_FALSE(yEnabled);
  EXPECT_EQ(Codes(), (std::vector<WPARAM>{kChangeWidth}));
}

TEST_F(FormatDialogTest, ATypedSizeIsClampedIntoTheFrame) {
  CFormatSettings settings = Loaded(kRg7Ntc, 320, 240);
  settings.offset_x = 300;
  settings.offset_y = 200;
  settings.ClampOffsets();
  int sliderAfterTyping = 0;
  int result = RunDialog(settings,
                         {[](HWND dialog) { SetText(GetDlgItem(dialog, IDC_FORMAT_WIDTH), "5000"); },
                          [&](HWND dialog) {
                            sliderAfterTyping = SliderPos(dialog, IDC_FORMAT_WIDTH_SLIDER);
                            SetText(GetDlgItem(dialog, IDC_FORMAT_HEIGHT), "-3");
                          }},
                         IDOK);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(sliderAfterTyping, 640);
  EXPECT_EQ(settings.window_width, 640);
  EXPECT_EQ(settings.window_height, 50);
  // The offsets moved so that the window stays inside the frame.
  EXPECT_EQ(settings.offset_x, 0);
  EXPECT_EQ(settings.offset_y, 200);
  EXPECT_EQ(Codes(), (std::vector<WPARAM>{kChangeWidth, kChangeHeight}));
}

TEST_F(FormatDialogTest, CombosSetFormatZoomAndColorKey) {
  CFormatSettings settings = Loaded(kRg7Ntc);
  RunDialog(settings, {[](HWND dialog) {
              Select(GetDlgItem(dialog, IDC_FORMAT_IMAGE_FORMAT), 0);
              Select(GetDlgItem(dialog, IDC_FORMAT_ZOOM), 1);
              Select(GetDlgItem(dialog, IDC_FORMAT_KEY_GREEN), 1);
              Select(GetDlgItem(dialog, IDC_FORMAT_KEY_BLUE), 0);
            }});
  EXPECT_EQ(settings.color, 0);
  EXPECT_EQ(settings.zoom, 1);
  EXPECT_EQ(settings.color_key, RGB(255, 127, 0));
  EXPECT_EQ(Codes(), (std::vector<WPARAM>{kChangeRestart, kChangeRestart, kChangeColorKey, kChangeColorKey}));
  // A level the combos do not offer shows as 0 and is kept until a combo changes.
  settings.color_key = RGB(10, 127, 255);
  int redShown = -1;
  RunDialog(settings, {[&](HWND dialog) {
              redShown = static_cast<int>(SendDlgItemMessageA(dialog, IDC_FORMAT_KEY_RED, CB_GETCURSEL, 0, 0));
            }});
  EXPECT_EQ(redShown, 0);
  EXPECT_EQ(settings.color_key, RGB(10, 127, 255));
}

TEST_F(FormatDialogTest, The650SeriesOffsetXEditTakesTheForm4kPlus1) {
  CFormatSettings settings = Loaded(twain_ds_test::kTest650Build, 400, 300);
  RunDialog(settings, {[](HWND dialog) { SetText(GetDlgItem(dialog, IDC_FORMAT_OFFSET_X), "11"); }});
  EXPECT_EQ(settings.offset_x, 9);
  EXPECT_EQ(Codes(), (std::vector<WPARAM>{kChangeRestart}));
}

}  // namespace
