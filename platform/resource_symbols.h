// The symbolic names a resource script may use for styles, languages and the
// standard control ids; there is no #define, so these are all the names it knows.
#pragma once

#include <optional>
#include <string_view>

#include "platform/win_types.h"

namespace platform {

std::optional<DWORD> LookupResourceSymbol(std::string_view name);

}  // namespace platform
