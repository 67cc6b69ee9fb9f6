#include "kt6sdk/imagefile/failure_box.h"

#include "platform/message_box.h"

namespace fio {

void ShowFailure(const char* text) { MessageBoxA(nullptr, text, "ERROR", MB_OK | MB_ICONSTOP); }
void ShowReadError() { MessageBoxA(nullptr, "read error", "", MB_OK | MB_ICONSTOP); }
void ShowWriteError() { MessageBoxA(nullptr, "write error", "", MB_OK | MB_ICONSTOP); }

}  // namespace fio
