// The data source's settings file: the application object's private profile,
// named after the module, in the Windows directory. Every value is a decimal
// integer.
#pragma once

namespace twain_ds {

// The key's value, or defaultValue when the key is missing.
int ReadSetting(const char* section, const char* key, int defaultValue);
void WriteSetting(const char* section, const char* key, int value);

}  // namespace twain_ds
