#include "twain_ds/source_settings.h"

#include "twain_ds/settings_file.h"

namespace twain_ds {
namespace {

constexpr char kSourceSection[] = "Source";
constexpr char kCameraSection[] = "CAMERA";

constexpr int kLastConnector = 2;
constexpr int kFirstPort = 1;
constexpr int kLastPort = 4;

// A stored value inside low..high (compared as read), else the fallback.
int InRange(int value, int low, int high, int fallback) { return value >= low && value <= high ? value : fallback; }

}  // namespace

CSourceSettings::CSourceSettings(const BuildDescriptor& build) : build_(&build) {
  // Both series start with NTSC, whatever its value.
  tv_standard = build.rules->ntsc_standard;
  strobe_on = build.has_camera_control();
  strobe_width = build.rules->strobe_width_default;
  camera_active = build.has_camera_control();
}

void CSourceSettings::Load() {
  vcr_mode = ReadSetting(kSourceSection, "VCRMode", 0) != 0;
  // Compared unsigned: a negative standard falls back like any other, to 1 in
  // both series.
  unsigned standard =
      static_cast<unsigned>(ReadSetting(kSourceSection, "VideoStandard", build_->rules->ntsc_standard));
  tv_standard = standard <= 1 ? static_cast<int>(standard) : 1;
  input_format = InRange(ReadSetting(kSourceSection, "InputFormat", kSVideo), kComposite, kSVideo, kSVideo);
  connector = InRange(ReadSetting(kSourceSection, "Connector", 0), 0, kLastConnector, kLastConnector);
  strobe_on = ReadSetting(kSourceSection, "StrobeOn", build_->has_camera_control() ? 1 : 0) != 0;
  strobe_delay = ReadSetting(kSourceSection, "StrobeDelay", 1);
  strobe_width = ReadSetting(kSourceSection, "StrobeWidth", build_->rules->strobe_width_default);
  if (!build_->has_camera_control()) return;
  camera_active = ReadSetting(kCameraSection, "ACTIVE", 1) != 0;
  camera_port = InRange(ReadSetting(kCameraSection, "COMMPORT", kFirstPort), kFirstPort, kLastPort, kFirstPort);
  manual_focus = ReadSetting(kCameraSection, "MANUALFOCUS", 0);
}

void CSourceSettings::Save() const {
  WriteSetting(kSourceSection, "VideoStandard", tv_standard);
  WriteSetting(kSourceSection, "InputFormat", input_format);
  WriteSetting(kSourceSection, "Connector", connector);
  WriteSetting(kSourceSection, "VCRMode", vcr_mode ? 1 : 0);
  WriteSetting(kSourceSection, "StrobeOn", strobe_on ? 1 : 0);
  WriteSetting(kSourceSection, "StrobeDelay", strobe_delay);
  WriteSetting(kSourceSection, "StrobeWidth", strobe_width);
  if (!build_->has_camera_control()) return;
  WriteSetting(kCameraSection, "ACTIVE", camera_active ? 1 : 0);
  WriteSetting(kCameraSection, "COMMPORT", camera_port);
  WriteSetting(kCameraSection, "MANUALFOCUS", manual_focus);
}

}  // namespace twain_ds
