// The application object of a data-source module: fills the source's identity
// when the module is loaded and gives the settings file through the framework's
// profile functions.
#pragma once

#include "platform/afx/application.h"
#include "twain_ds/build_descriptor.h"

namespace twain_ds {

class CDataSourceApp : public CWinApp {
 public:
  explicit CDataSourceApp(const BuildDescriptor& build) : build_(build) {}
  ~CDataSourceApp() override = default;

  BOOL InitInstance() override;

  const BuildDescriptor& build() const { return build_; }

 private:
  const BuildDescriptor& build_;
};

}  // namespace twain_ds
