#include "platform/message_box.h"

#include <deque>
#include <mutex>

#include "platform/fault_injection.h"
#include "platform/last_error.h"

namespace platform {
namespace {

std::mutex g_mutex;
std::deque<MessageBoxRecord> g_log;
std::deque<INT> g_answers;

// The answer of the default button: the first one unless the style names another.
INT DefaultAnswer(UINT style) {
  static const std::vector<INT> kButtons[] = {
      {IDOK},        {IDOK, IDCANCEL},    {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
      {IDYES, IDNO}, {IDRETRY, IDCANCEL},
  };
  UINT set = style & 0xF;
  const std::vector<INT>& buttons = set < std::size(kButtons) ? kButtons[set] : kButtons[0];
  std::size_t index = (style >> 8) & 0xF;
  return buttons[index < buttons.size() ? index : 0];
}

}  // namespace

std::vector<MessageBoxRecord> MessageBoxLog() {
  std::lock_guard lock(g_mutex);
  return {g_log.begin(), g_log.end()};
}

void ClearMessageBoxLog() {
  std::lock_guard lock(g_mutex);
  g_log.clear();
  g_answers.clear();
}

void ScriptMessageBoxAnswers(const std::vector<INT>& answers) {
  std::lock_guard lock(g_mutex);
  g_answers.insert(g_answers.end(), answers.begin(), answers.end());
}

}  // namespace platform

INT MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  DWORD error = ERROR_SUCCESS;
  if (platform::faults::ShouldFail("MessageBoxA", &error)) {
    SetLastError(error);
    return 0;
  }
  platform::MessageBoxRecord record;
  record.owner = owner;
  record.text = text ? text : "";
  record.caption = caption ? caption : "";
  record.caption_null = caption == nullptr;
  record.style = style;
  std::lock_guard lock(platform::g_mutex);
  if (!platform::g_answers.empty()) {
    record.answer = platform::g_answers.front();
    platform::g_answers.pop_front();
  } else {
    record.answer = platform::DefaultAnswer(style);
  }
  platform::g_log.push_back(record);
  if (platform::g_log.size() > platform::kMessageBoxLogLimit) platform::g_log.pop_front();
  return record.answer;
}
