// Profile (INI) functions: WIN.INI in the Windows directory and private INI files.
#pragma once

#include "platform/win_types.h"

extern "C" {
PLATFORM_EXPORT DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size);
PLATFORM_EXPORT DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                               DWORD size, LPCSTR fileName);
PLATFORM_EXPORT UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
// Sets key = value in the section: existing keys keep their place, a new key goes
// to the section's end, file and section are created as needed. A null value
// removes the key, a null key the whole section.
PLATFORM_EXPORT BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
}
