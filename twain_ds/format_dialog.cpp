#include "twain_ds/format_dialog.h"

#include <iterator>

namespace twain_ds {
namespace {

constexpr const char* kImageFormats[] = {"Gray scale(8 bit)", "True color(24 bit)"};
constexpr const char* kZooms[] = {"1:1", "1:2", "1:4"};
// The colour-key combos offer three levels per colour.
constexpr const char* kKeyLevelTexts[] = {"0", "127", "255"};
constexpr BYTE kKeyLevels[] = {0, 127, 255};

constexpr int kHueMin = -128;
constexpr int kHueMax = 127;
constexpr int kBrightnessMax = 255;
constexpr int kHueTicks = 8;
constexpr int kSaturationTicks = 4;
constexpr int kBrightnessTicks = 8;
constexpr int kContrastTicks = 4;
// Offset X is even (700 series) or odd (650 series): a step moves it by two.
constexpr int kOffsetXLineSize = 2;

// A level the combos do not offer shows as the first entry.
int KeyIndex(BYTE level) {
  for (int i = 0; i < static_cast<int>(std::size(kKeyLevels)); ++i)
    if (kKeyLevels[i] == level) return i;
  return 0;
}
BYTE KeyLevel(int index) {
  return index >= 0 && index < static_cast<int>(std::size(kKeyLevels)) ? kKeyLevels[index] : 0;
}
// The key colour of three combo selections.
COLORREF KeyColor(int red, int green, int blue) { return RGB(KeyLevel(red), KeyLevel(green), KeyLevel(blue)); }

void SetGeometryRange(CSliderCtrl& slider, int minimum, int maximum, int position) {
  slider.SetRange(minimum, maximum, TRUE);
  slider.SetTicFreq((maximum - minimum) / 10);
  slider.SetPos(position);
}

void SetPictureRange(CSliderCtrl& slider, int minimum, int maximum, int ticks, int position) {
  slider.SetRange(minimum, maximum, TRUE);
  slider.SetTicFreq(ticks);
  slider.SetPos(position);
}

}  // namespace

DEFINE_MESSAGE_MAP(CFormatDlg, CDialog,
                   {
                       afx::OnWmHScroll<&CFormatDlg::OnHScroll>(),
                       afx::OnCommand<&CFormatDlg::OnChangeWidth>(IDC_FORMAT_WIDTH, EN_CHANGE),
                       afx::OnCommand<&CFormatDlg::OnChangeHeight>(IDC_FORMAT_HEIGHT, EN_CHANGE),
                       afx::OnCommand<&CFormatDlg::OnChangeOffsetX>(IDC_FORMAT_OFFSET_X, EN_CHANGE),
                       afx::OnCommand<&CFormatDlg::OnChangeOffsetY>(IDC_FORMAT_OFFSET_Y, EN_CHANGE),
                       afx::OnCommand<&CFormatDlg::OnChangeHue>(IDC_FORMAT_HUE, EN_CHANGE),
                       afx::OnCommand<&CFormatDlg::OnChangeSaturation>(IDC_FORMAT_SATURATION, EN_CHANGE),
                       afx::OnCommand<&CFormatDlg::OnChangeBrightness>(IDC_FORMAT_BRIGHTNESS, EN_CHANGE),
                       afx::OnCommand<&CFormatDlg::OnChangeContrast>(IDC_FORMAT_CONTRAST, EN_CHANGE),
                       afx::OnCommand<&CFormatDlg::OnSelchangeZoom>(IDC_FORMAT_ZOOM, CBN_SELCHANGE),
                       afx::OnCommand<&CFormatDlg::OnSelchangeImageFormat>(IDC_FORMAT_IMAGE_FORMAT, CBN_SELCHANGE),
                       afx::OnCommand<&CFormatDlg::OnSelchangeColorKey>(IDC_FORMAT_KEY_RED, CBN_SELCHANGE),
                       afx::OnCommand<&CFormatDlg::OnSelchangeColorKey>(IDC_FORMAT_KEY_GREEN, CBN_SELCHANGE),
                       afx::OnCommand<&CFormatDlg::OnSelchangeColorKey>(IDC_FORMAT_KEY_BLUE, CBN_SELCHANGE),
                       afx::OnCommand<&CFormatDlg::OnDefault>(IDC_FORMAT_DEFAULT, BN_CLICKED),
                   })

CFormatDlg::CFormatDlg(CFormatSettings& settings, CWnd* parent)
    : CDialog(IDD_FORMAT, parent), settings_(settings), parent_(parent ? parent->m_hWnd : nullptr) {
  // The controls start out showing the record.
  hue_ = settings_.hue;
  saturation_ = settings_.saturation;
  brightness_ = settings_.brightness;
  contrast_ = settings_.contrast;
  width_ = settings_.window_width;
  height_ = settings_.window_height;
  offset_x_ = settings_.offset_x;
  offset_y_ = settings_.offset_y;
  image_format_ = settings_.color;
  zoom_ = settings_.zoom;
  key_red_ = KeyIndex(GetRValue(settings_.color_key));
  key_green_ = KeyIndex(GetGValue(settings_.color_key));
  key_blue_ = KeyIndex(GetBValue(settings_.color_key));
}

void CFormatDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_FORMAT_HUE_SLIDER, hue_slider_);
  DDX_Control(pDX, IDC_FORMAT_SATURATION_SLIDER, saturation_slider_);
  DDX_Control(pDX, IDC_FORMAT_BRIGHTNESS_SLIDER, brightness_slider_);
  DDX_Control(pDX, IDC_FORMAT_CONTRAST_SLIDER, contrast_slider_);
  DDX_Control(pDX, IDC_FORMAT_WIDTH_SLIDER, width_slider_);
  DDX_Control(pDX, IDC_FORMAT_HEIGHT_SLIDER, height_slider_);
  DDX_Control(pDX, IDC_FORMAT_OFFSET_X_SLIDER, offset_x_slider_);
  DDX_Control(pDX, IDC_FORMAT_OFFSET_Y_SLIDER, offset_y_slider_);
  DDX_CBIndex(pDX, IDC_FORMAT_IMAGE_FORMAT, image_format_);
  DDX_Text(pDX, IDC_FORMAT_WIDTH, width_);
  DDX_Text(pDX, IDC_FORMAT_HEIGHT, height_);
  DDX_Text(pDX, IDC_FORMAT_OFFSET_X, offset_x_);
  DDX_Text(pDX, IDC_FORMAT_OFFSET_Y, offset_y_);
  DDX_CBIndex(pDX, IDC_FORMAT_ZOOM, zoom_);
  DDX_Text(pDX, IDC_FORMAT_HUE, hue_);
  DDV_MinMaxInt(pDX, hue_, kHueMin, kHueMax);
  DDX_Text(pDX, IDC_FORMAT_SATURATION, saturation_);
  DDV_MinMaxInt(pDX, saturation_, 0, rules().picture_control_max);
  DDX_Text(pDX, IDC_FORMAT_BRIGHTNESS, brightness_);
  DDV_MinMaxInt(pDX, brightness_, 0, kBrightnessMax);
  DDX_Text(pDX, IDC_FORMAT_CONTRAST, contrast_);
  DDV_MinMaxInt(pDX, contrast_, 0, rules().picture_control_max);
  DDX_CBIndex(pDX, IDC_FORMAT_KEY_RED, key_red_);
  DDX_CBIndex(pDX, IDC_FORMAT_KEY_GREEN, key_green_);
  DDX_CBIndex(pDX, IDC_FORMAT_KEY_BLUE, key_blue_);
}

BOOL CFormatDlg::OnInitDialog() {
  for (const char* text : kImageFormats)
    SendDlgItemMessageA(m_hWnd, IDC_FORMAT_IMAGE_FORMAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  for (const char* text : kZooms)
    SendDlgItemMessageA(m_hWnd, IDC_FORMAT_ZOOM, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  for (int combo : {IDC_FORMAT_KEY_RED, IDC_FORMAT_KEY_GREEN, IDC_FORMAT_KEY_BLUE})
    for (const char* text : kKeyLevelTexts)
      SendDlgItemMessageA(m_hWnd, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  showing_ = true;
  CDialog::OnInitDialog();
  int pictureMax = rules().picture_control_max;
  SetPictureRange(hue_slider_, kHueMin, kHueMax, kHueTicks, settings_.hue);
  SetPictureRange(saturation_slider_, 0, pictureMax, kSaturationTicks, settings_.saturation);
  SetPictureRange(brightness_slider_, 0, kBrightnessMax, kBrightnessTicks, settings_.brightness);
  SetPictureRange(contrast_slider_, 0, pictureMax, kContrastTicks, settings_.contrast);
  RefreshGeometry(0);
  showing_ = false;
  return TRUE;
}

bool CFormatDlg::TakeValues() {
  if (!UpdateData(TRUE)) return false;
  StoreValues();
  return true;
}

void CFormatDlg::StoreValues() {
  settings_.hue = hue_;
  settings_.saturation = saturation_;
  settings_.brightness = brightness_;
  settings_.contrast = contrast_;
  settings_.window_width = width_;
  settings_.window_height = height_;
  settings_.offset_x = offset_x_;
  settings_.offset_y = offset_y_;
  settings_.color = image_format_;
  settings_.zoom = zoom_;
  settings_.color_key = KeyColor(key_red_, key_green_, key_blue_);
  // A typed size may lie outside the frame; the video window must not.
  settings_.ClampWindowAndOffsets();
}

int CFormatDlg::ComboSelection(int comboId) const {
  return static_cast<int>(SendDlgItemMessageA(m_hWnd, comboId, CB_GETCURSEL, 0, 0));
}

void CFormatDlg::ShowNumber(int editId, int value) {
  bool wasShowing = showing_;
  showing_ = true;
  SetDlgItemInt(m_hWnd, editId, static_cast<UINT>(value), TRUE);
  showing_ = wasShowing;
}

void CFormatDlg::RefreshGeometry(int typingEditId) {
  SetGeometryRange(width_slider_, CFormatSettings::kMinWindowSize, settings_.limit_width, settings_.window_width);
  SetGeometryRange(height_slider_, CFormatSettings::kMinWindowSize, settings_.limit_height, settings_.window_height);
  RefreshOffsetControls(typingEditId);
}

void CFormatDlg::RefreshOffsetControls(int typingEditId) {
  int minX = settings_.GetMinOffset();
  int maxX = settings_.GetMaxOffsetX();
  int minY = CFormatSettings::kMinOffsetY;
  int maxY = settings_.GetMaxOffsetY();
  SetGeometryRange(offset_x_slider_, minX, maxX, settings_.offset_x);
  offset_x_slider_.SetLineSize(kOffsetXLineSize);
  SetGeometryRange(offset_y_slider_, minY, maxY, settings_.offset_y);
  // Nothing to choose when the window fills the frame.
  offset_x_slider_.EnableWindow(minX != maxX);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FORMAT_OFFSET_X), minX != maxX);
  offset_y_slider_.EnableWindow(minY != maxY);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_FORMAT_OFFSET_Y), minY != maxY);
  if (typingEditId != IDC_FORMAT_OFFSET_X) ShowNumber(IDC_FORMAT_OFFSET_X, settings_.offset_x);
  if (typingEditId != IDC_FORMAT_OFFSET_Y) ShowNumber(IDC_FORMAT_OFFSET_Y, settings_.offset_y);
}

void CFormatDlg::PostChange(FormatChange code) {
  FormatChange posted = rules().fine_change_codes ? code : kChangeRestart;
  ::PostMessageA(parent_, WM_USER, static_cast<WPARAM>(posted), 0);
}

void CFormatDlg::OnHScroll(UINT, UINT, CWnd* scrollBar) {
  settings_.window_width = width_slider_.GetPos();
  settings_.window_height = height_slider_.GetPos();
  settings_.offset_x = offset_x_slider_.GetPos();
  settings_.offset_y = offset_y_slider_.GetPos();
  settings_.hue = hue_slider_.GetPos();
  settings_.saturation = saturation_slider_.GetPos();
  settings_.brightness = brightness_slider_.GetPos();
  settings_.contrast = contrast_slider_.GetPos();
  settings_.ClampWindowAndOffsets();
  ShowNumber(IDC_FORMAT_WIDTH, settings_.window_width);
  ShowNumber(IDC_FORMAT_HEIGHT, settings_.window_height);
  ShowNumber(IDC_FORMAT_HUE, settings_.hue);
  ShowNumber(IDC_FORMAT_SATURATION, settings_.saturation);
  ShowNumber(IDC_FORMAT_BRIGHTNESS, settings_.brightness);
  ShowNumber(IDC_FORMAT_CONTRAST, settings_.contrast);
  RefreshGeometry(0);

  HWND slider = scrollBar ? scrollBar->m_hWnd : nullptr;
  FormatChange code = kChangeRestart;
  if (slider == hue_slider_.m_hWnd)
    code = kChangeHue;
  else if (slider == saturation_slider_.m_hWnd)
    code = kChangeSaturation;
  else if (slider == brightness_slider_.m_hWnd)
    code = kChangeBrightness;
  else if (slider == contrast_slider_.m_hWnd)
    code = kChangeContrast;
  else if (slider == width_slider_.m_hWnd)
    code = kChangeWidth;
  else if (slider == height_slider_.m_hWnd)
    code = kChangeHeight;
  else if (slider == offset_x_slider_.m_hWnd)
    code = kChangeOffsetX;
  else if (slider == offset_y_slider_.m_hWnd)
    code = kChangeOffsetY;
  PostChange(code);
}

void CFormatDlg::OnChangeWidth() {
  if (showing_ || !TakeValues()) return;
  RefreshGeometry(IDC_FORMAT_WIDTH);
  PostChange(kChangeWidth);
}

void CFormatDlg::OnChangeHeight() {
  if (showing_ || !TakeValues()) return;
  RefreshGeometry(IDC_FORMAT_HEIGHT);
  PostChange(kChangeHeight);
}

void CFormatDlg::OnChangeOffsetX() {
  if (showing_ || !UpdateData(TRUE)) return;
  // The 650-series grab window starts on a pixel of the form 4k + 1.
  if (settings_.build().series() == BoardSeries::k650) offset_x_ = (offset_x_ & ~3) | 1;
  StoreValues();
  RefreshOffsetControls(IDC_FORMAT_OFFSET_X);
  PostChange(kChangeOffsetX);
}

void CFormatDlg::OnChangeOffsetY() {
  if (showing_ || !TakeValues()) return;
  RefreshOffsetControls(IDC_FORMAT_OFFSET_Y);
  PostChange(kChangeOffsetY);
}

void CFormatDlg::OnChangeHue() {
  if (showing_ || !TakeValues()) return;
  hue_slider_.SetPos(settings_.hue);
  PostChange(kChangeHue);
}

void CFormatDlg::OnChangeSaturation() {
  if (showing_ || !TakeValues()) return;
  saturation_slider_.SetPos(settings_.saturation);
  PostChange(kChangeSaturation);
}

void CFormatDlg::OnChangeBrightness() {
  if (showing_ || !TakeValues()) return;
  brightness_slider_.SetPos(settings_.brightness);
  PostChange(kChangeBrightness);
}

void CFormatDlg::OnChangeContrast() {
  if (showing_ || !TakeValues()) return;
  contrast_slider_.SetPos(settings_.contrast);
  PostChange(kChangeContrast);
}

void CFormatDlg::OnSelchangeZoom() {
  settings_.zoom = ComboSelection(IDC_FORMAT_ZOOM);
  settings_.ClampWindowAndOffsets();
  RefreshGeometry(0);
  PostChange(kChangeRestart);
}

void CFormatDlg::OnSelchangeImageFormat() {
  settings_.color = ComboSelection(IDC_FORMAT_IMAGE_FORMAT);
  PostChange(kChangeRestart);
}

void CFormatDlg::OnSelchangeColorKey() {
  settings_.color_key = KeyColor(ComboSelection(IDC_FORMAT_KEY_RED), ComboSelection(IDC_FORMAT_KEY_GREEN),
                                 ComboSelection(IDC_FORMAT_KEY_BLUE));
  PostChange(kChangeColorKey);
}

void CFormatDlg::OnDefault() {
  const PictureDefaults& defaults = rules().default_picture;
  settings_.brightness = defaults.brightness;
  settings_.contrast = defaults.contrast;
  settings_.hue = defaults.hue;
  settings_.saturation = defaults.saturation;
  brightness_slider_.SetPos(defaults.brightness);
  contrast_slider_.SetPos(defaults.contrast);
  hue_slider_.SetPos(defaults.hue);
  saturation_slider_.SetPos(defaults.saturation);
  ShowNumber(IDC_FORMAT_BRIGHTNESS, defaults.brightness);
  ShowNumber(IDC_FORMAT_CONTRAST, defaults.contrast);
  ShowNumber(IDC_FORMAT_HUE, defaults.hue);
  ShowNumber(IDC_FORMAT_SATURATION, defaults.saturation);
  PostChange(kChangeRestart);
}

void CFormatDlg::OnOK() {
  if (TakeValues()) EndDialog(IDOK);
}

}  // namespace twain_ds
