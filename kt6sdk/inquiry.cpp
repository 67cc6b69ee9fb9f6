// What a caller may ask of the library and the board: the SDK version, the
// installation root and the board-information record in the caller's layout.
#include <cstring>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "platform/profile.h"

namespace kt6 {
namespace {

// The record grew with the SDK: what a caller of each version receives.
std::size_t BoardInfoBytes(std::uint16_t callerVersion) {
  if (callerVersion <= 0x110) return offsetof(BoardInfo, memory_clock_mhz);
  if (callerVersion <= 0x141) return offsetof(BoardInfo, svideo_mode);
  if (callerVersion < 0x151) return offsetof(BoardInfo, driver_version);
  return sizeof(BoardInfo);
}

}  // namespace
}  // namespace kt6

std::int32_t KT6InquireBoardInfo(BoardInfo* out) {
  if (!kt6::g_state.opened.load()) return KT6_ERR_GENERAL;
  if (!out) return KT6_ERR_PARAMETER;
  std::memcpy(out, &kt6::g_state.info, kt6::BoardInfoBytes(kt6::g_state.app_sdk_version));
  return KT6_OK;
}

std::uint16_t KT6InquireSDKVersion() { return kt6::kSdkVersion; }

std::uint32_t KT6GetKT600RootPath(char* buffer, std::uint32_t size) {
  if (!buffer || size == 0) return 0;
  DWORD copied = GetProfileStringA("Zephlor", "KT-600", ".", buffer, size);
  buffer[size - 1] = '\0';
  return copied < size ? copied : size - 1;
}
