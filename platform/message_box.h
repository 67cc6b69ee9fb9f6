// Message boxes. Nothing is displayed and nothing waits: each box is recorded
// (owner, text, caption, style) and answered at once, by the next answer a test
// has scripted or else by the box's default button.
#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"
#include "platform/window_handle.h"

// Buttons, icons and default button of the style word.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
// Modality.
constexpr UINT MB_SYSTEMMODAL = 0x1000;

// Answers.
constexpr INT IDOK = 1;
constexpr INT IDCANCEL = 2;
constexpr INT IDABORT = 3;
constexpr INT IDRETRY = 4;
constexpr INT IDIGNORE = 5;
constexpr INT IDYES = 6;
constexpr INT IDNO = 7;

extern "C" {
// The answer, or 0 when the box could not be shown (an injected fault).
PLATFORM_EXPORT INT MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
}

namespace platform {

struct MessageBoxRecord {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  bool caption_null = false;  // the caller passed no caption at all
  UINT style = 0;
  INT answer = 0;
};

// The boxes shown since the log was last cleared, oldest first. The log keeps the
// most recent kMessageBoxLogLimit boxes.
constexpr std::size_t kMessageBoxLogLimit = 256;
PLATFORM_EXPORT std::vector<MessageBoxRecord> MessageBoxLog();
PLATFORM_EXPORT void ClearMessageBoxLog();
// The next boxes answer with these values, in order; then the default button again.
// Clearing the log also drops answers not yet used.
PLATFORM_EXPORT void ScriptMessageBoxAnswers(const std::vector<INT>& answers);

}  // namespace platform
