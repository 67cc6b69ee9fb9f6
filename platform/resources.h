// Module resources. A module registers its resource scripts when it is loaded,
// under its own module handle; string tables and dialog templates are then found
// by that handle in the user-interface language, as Windows finds a module's
// compiled resources.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/resource_script.h"
#include "platform/user.h"

extern "C" {
// Copies at most limit - 1 characters of the string and terminates it; returns
// the number copied, 0 for an unknown id or module. A string that the
// user-interface language's table lacks is taken from the English table.
PLATFORM_EXPORT int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int limit);
// Host path of the loaded object whose base address the handle is; a null handle
// names the program. Returns the length copied; a short buffer gets a terminated,
// cut path and the result size (ERROR_INSUFFICIENT_BUFFER).
PLATFORM_EXPORT DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
PLATFORM_EXPORT LANGID GetUserDefaultUILanguage();
}

namespace platform {

// Parses the script and adds its resources to the module's. A script with an
// error adds nothing; *error then says where and what.
PLATFORM_EXPORT bool RegisterModuleResources(HMODULE module, std::string_view scriptText, std::string* error = nullptr);
PLATFORM_EXPORT void UnregisterModuleResources(HMODULE module);

// The module's template in the user-interface language, else in English, else in
// any language it has.
PLATFORM_EXPORT std::optional<DialogTemplate> FindDialogTemplate(HMODULE module, int id);

// English unless VPC_UI_LANGUAGE (a decimal language id such as 1049) says
// otherwise; a test may set it, and 0 goes back to that default.
PLATFORM_EXPORT void SetUiLanguage(LANGID language);
PLATFORM_EXPORT LANGID UiLanguage();

}  // namespace platform
