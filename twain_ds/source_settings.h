// The source settings: the video input, the strobe capture and the camera link.
// One record for the whole time the module is loaded; loaded at open, saved at
// close and by the camera set-up dialog's OK, edited by the Source dialog.
#pragma once

#include "twain_ds/build_descriptor.h"

namespace twain_ds {

class CSourceSettings {
 public:
  // The record starts with the build's defaults: the first open in a process
  // prepares the camera link with them before the file is read.
  explicit CSourceSettings(const BuildDescriptor& build);
  virtual ~CSourceSettings() = default;

  const BuildDescriptor& build() const { return *build_; }

  // Sections "Source" and, in the builds with camera control, "CAMERA".
  void Load();
  void Save() const;

  // The TV standard that means NTSC in this series.
  bool IsNtsc() const { return tv_standard == build_->rules->ntsc_standard; }
  // The decoder input: 3 for S-Video, else the connector.
  int VideoChannel() const { return input_format == kSVideo ? kSVideoChannel : connector; }

  static constexpr int kComposite = 0;
  static constexpr int kSVideo = 1;
  static constexpr int kSVideoChannel = 3;

  // Fields in the order of the record.
  bool vcr_mode = false;
  int tv_standard = 0;  // 700 series 0 NTSC, 1 PAL; 650 series 0 PAL, 1 NTSC
  int input_format = kSVideo;
  int connector = 0;  // 0 to 2 for connectors 1 to 3
  bool strobe_on = false;
  int strobe_delay = 1;  // fields, as the file says (may be negative)
  int strobe_width = 0;
  // Not stored: the camera port was open before the source opened it.
  bool port_fixed = false;
  bool camera_active = false;
  int camera_port = 1;  // 1 to 4 for COM1 to COM4
  int manual_focus = 0;

 private:
  const BuildDescriptor* build_;
};

}  // namespace twain_ds
