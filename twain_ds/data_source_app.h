// The application object of a data-source module: fills the source's identity
// when the module is loaded, holds the two settings records and gives the settings file
// through the framework's profile functions.
#pragma once

#include "platform/afx/application.h"
#include "twain_ds/build_descriptor.h"
#include "twain_ds/format_settings.h"
#include "twain_ds/source_settings.h"

namespace twain_ds {

class CDataSourceApp : public CWinApp {
 public:
  explicit CDataSourceApp(const BuildDescriptor& build) : build_(build), format_settings_(build), source_settings_(build) {}
  ~CDataSourceApp() override = default;

  BOOL InitInstance() override;

  const BuildDescriptor& build() const { return build_; }
  CFormatSettings& format_settings() { return format_settings_; }
  CSourceSettings& source_settings() { return source_settings_; }
  // Whether the module started: a module whose start-up failed stays loaded under
  // a host's own dlopen, but answers no triplet.
  bool started() const { return started_; }

 private:
  const BuildDescriptor& build_;
  CFormatSettings format_settings_;
  CSourceSettings source_settings_;
  bool started_ = false;
};

// The module's application object; null when the module has none.
CDataSourceApp* DataSourceApp();
// The build of the running module; only while it has its application object.
const BuildDescriptor& CurrentBuild();
CFormatSettings& FormatSettings();
CSourceSettings& SourceSettings();

}  // namespace twain_ds
