// Where Windows paths land on this file system.
//
// Backslashes become slashes; a drive letter ("c:\x") maps to a directory set per
// drive (by default <windows directory>/drive_<letter>); a bare file name handed to
// a profile function lives in the Windows directory. Name components that do not
// exist as spelled are matched case-insensitively, as on Windows.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace platform {

// The Windows directory (holds WIN.INI). Default: $WINDIR, else the current directory.
PLATFORM_EXPORT void SetWindowsDirectory(const std::string& hostPath);
PLATFORM_EXPORT std::string WindowsDirectory();
PLATFORM_EXPORT void SetDriveRoot(char letter, const std::string& hostPath);

// Host path for a Windows path.
PLATFORM_EXPORT std::string MapPath(const char* windowsPath);
// True for "\\.\NAME" device paths; *name receives NAME.
PLATFORM_EXPORT bool IsDevicePath(const char* path, std::string* name);

}  // namespace platform
