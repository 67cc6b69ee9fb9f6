#include "twain_ds/settings_file.h"

#include "platform/afx/application.h"

namespace twain_ds {

int ReadSetting(const char* section, const char* key, int defaultValue) {
  return static_cast<int>(AfxGetApp()->GetProfileInt(section, key, defaultValue));
}

void WriteSetting(const char* section, const char* key, int value) {
  AfxGetApp()->WriteProfileInt(section, key, value);
}

}  // namespace twain_ds
