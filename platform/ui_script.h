// UI scripts: a person's use of the windows, written down, for hosts that run no
// message loop of ours (a Linux TWAIN application calls DS_Entry from its own
// thread and then blocks until the source calls back). When the platform is loaded
// into a process whose environment names a script in VPC_UI_SCRIPT, the script
// runs on a thread of its own (StartUiScript).
//
// One command a line; blank lines and lines starting with '#' are skipped:
//   wait <title>       until a visible top-level window with the title exists
//   sleep <ms>
//   click <caption>    a button with the caption ('&' marks ignored) in the active
//                      window, else in the window the script last waited for
//   key <name>         Enter, Escape, Tab, Left, Right, Up, Down, Space or one
//                      character, to the focus of that window's thread
//   text <id> <text>   replaces the text of that window's edit with the id
//   screen <file.png>  the composed screen
// The commands run on the script's thread under the window-system lock. Input for
// a window whose thread pumps its own messages is posted to it and the script waits
// until the thread has handled it; for a thread that does not, the script's thread
// acts for it (ws::QueueBorrow) and runs its pending messages itself, so the
// window's procedures run on the script's thread. A line that opens a modal loop
// there has the next lines run from inside that loop. The script keeps only window
// handles, never pointers into a module, so modules may come and go between lines.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace platform {

// How long `wait` waits, and a command for the windows' threads to handle its input.
constexpr DWORD kUiScriptTimeoutMs = 10000;

// Runs the script on the calling thread until its end or the first line it cannot
// run (unknown command, bad argument, no such window or control, time-out), which
// is reported on standard error with its line number; false then, or when the file
// cannot be read.
PLATFORM_EXPORT bool RunUiScript(const std::string& path, DWORD timeoutMs = kUiScriptTimeoutMs);
// The same on a thread of its own, which nothing waits for: the process may exit
// while it runs (the line in progress finishes first, no further line starts).
PLATFORM_EXPORT void StartUiScript(const std::string& path);

}  // namespace platform
