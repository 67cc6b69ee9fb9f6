// "kernel32.dll" as the module loader sees it: the platform's exports, less those a
// test took away (internal).
#pragma once

namespace platform {

bool KernelExportRemoved(const char* name);

}  // namespace platform
