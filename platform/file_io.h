// The handle-based file calls (_lopen, _lcreat, _lread, _lwrite, _llseek, _lclose)
// over this file system. Paths go through MapPath; handles are small positive
// integers, so that they fit the 16-bit handle fields of stored descriptors.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

using HFILE = INT;
constexpr HFILE HFILE_ERROR = -1;

// Access and share flags of _lopen.
constexpr INT OF_READ = 0x0000;
constexpr INT OF_WRITE = 0x0001;
constexpr INT OF_READWRITE = 0x0002;
constexpr INT OF_SHARE_COMPAT = 0x0000;
constexpr INT OF_SHARE_EXCLUSIVE = 0x0010;
constexpr INT OF_SHARE_DENY_WRITE = 0x0020;
constexpr INT OF_SHARE_DENY_READ = 0x0030;
constexpr INT OF_SHARE_DENY_NONE = 0x0040;

// Origins of _llseek.
constexpr INT FILE_BEGIN = 0;
constexpr INT FILE_CURRENT = 1;
constexpr INT FILE_END = 2;

extern "C" {
// Opens an existing file; HFILE_ERROR with the last error set on failure
// (ERROR_SHARING_VIOLATION when an open handle's share mode forbids the access).
PLATFORM_EXPORT HFILE _lopen(LPCSTR path, INT flags);
// Creates or truncates a file for reading and writing.
PLATFORM_EXPORT HFILE _lcreat(LPCSTR path, INT attributes);
// Bytes read (0 at the end of the file) or HFILE_ERROR.
PLATFORM_EXPORT UINT _lread(HFILE file, LPVOID buffer, UINT bytes);
// Bytes written or HFILE_ERROR. A count of 0 truncates or extends the file to the
// current position.
PLATFORM_EXPORT UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes);
// New position from the start of the file, or HFILE_ERROR.
PLATFORM_EXPORT LONG _llseek(HFILE file, LONG offset, INT origin);
// 0, or HFILE_ERROR for a handle that is not open.
PLATFORM_EXPORT HFILE _lclose(HFILE file);
}

namespace platform {
// Files opened through _lopen or _lcreat and not yet closed (for leak checks in tests).
PLATFORM_EXPORT std::size_t OpenFileCount();
}  // namespace platform
