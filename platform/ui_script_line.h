// One line of a UI script, read into a command before anything runs.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace platform {

enum class UiCommand { kNone, kWait, kSleep, kClick, kKey, kText, kScreen };

struct UiScriptLine {
  UiCommand command = UiCommand::kNone;  // kNone: a blank line or a comment
  std::string text;                      // title, caption, key name, edit text or file
  int number = 0;                        // milliseconds or control id
  std::string error;                     // why the line cannot run; empty when it can
};

UiScriptLine ParseUiScriptLine(const std::string& line);

// The virtual key of a named key (Enter, Escape, Tab, Left, Right, Up, Down,
// Space); 0 for any other name.
UINT NamedKey(const std::string& name);

}  // namespace platform
