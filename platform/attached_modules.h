// What the module loader learns from the modules' attach hooks (internal).
#pragma once

#include <string>
#include <string_view>

#include "platform/user.h"

namespace platform {

// A loaded module by the name it gave its entry (without regard to case), or null.
HMODULE FindAttachedModule(std::string_view name);
// The entry name of a loaded module, or empty.
std::string AttachedModuleName(HMODULE module);

// While one lives on a thread, the attaches that thread runs (the loads of a module
// and its dependencies) report refusals to it.
class AttachScope {
 public:
  AttachScope();
  ~AttachScope();
  AttachScope(const AttachScope&) = delete;
  AttachScope& operator=(const AttachScope&) = delete;
  bool refused() const { return refused_; }
  static void NoteRefusal();

 private:
  AttachScope* outer_;
  bool refused_ = false;
};

// Powers the virtual PC on when automatic power-on is on and no machine is.
void PowerOnIfNeeded();

}  // namespace platform
