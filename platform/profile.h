// Profile (INI) functions: WIN.INI in the Windows directory and private INI files.
#pragma once

#include "platform/win_types.h"

extern "C" {
PLATFORM_EXPORT DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size);
PLATFORM_EXPORT DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                               DWORD size, LPCSTR fileName);
PLATFORM_EXPORT UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName);
}
