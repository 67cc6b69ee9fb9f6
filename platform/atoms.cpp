// The global atom table: strings counted by reference, matched without case, with
// values from 0xC000; "#n" and MAKEINTATOM(n) stand for the integer atom n below 0xC000.
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/last_error.h"
#include "platform/string_copy.h"
#include "platform/window_system.h"

namespace {

constexpr unsigned kFirstStringAtom = 0xC000;
constexpr unsigned kLastStringAtom = 0xFFFF;
constexpr std::size_t kMaxAtomName = 255;

struct Entry {
  std::string name;
  int references = 0;
};

std::map<ATOM, Entry>& Table() {
  static auto* table = new std::map<ATOM, Entry>;
  return *table;
}

// The integer atom a name stands for: 0 when it is a string name, -1 when invalid.
int IntegerAtom(LPCSTR name) {
  if (IS_INTRESOURCE(name)) {
    auto value = reinterpret_cast<std::uintptr_t>(name);
    return value > 0 && value < kFirstStringAtom ? static_cast<int>(value) : -1;
  }
  if (name[0] != '#') return 0;
  char* end = nullptr;
  unsigned long value = std::strtoul(name + 1, &end, 10);
  if (end == name + 1 || *end) return 0;
  return value > 0 && value < kFirstStringAtom ? static_cast<int>(value) : -1;
}

ATOM FindLocked(LPCSTR name) {
  for (auto& [atom, entry] : Table())
    if (::strcasecmp(entry.name.c_str(), name) == 0) return atom;
  return 0;
}

bool ValidName(LPCSTR name) {
  if (!name || (!IS_INTRESOURCE(name) && (!*name || std::strlen(name) > kMaxAtomName))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

}  // namespace

ATOM GlobalAddAtomA(LPCSTR name) {
  if (!ValidName(name)) return 0;
  int integer = IntegerAtom(name);
  if (integer) {
    if (integer < 0) SetLastError(ERROR_INVALID_PARAMETER);
    return integer < 0 ? 0 : static_cast<ATOM>(integer);
  }
  std::lock_guard lock(platform::ws::S().mutex);
  if (ATOM atom = FindLocked(name)) {
    Table()[atom].references++;
    return atom;
  }
  for (unsigned value = kFirstStringAtom; value <= kLastStringAtom; ++value)
    if (!Table().count(static_cast<ATOM>(value))) {
      Table()[static_cast<ATOM>(value)] = Entry{name, 1};
      return static_cast<ATOM>(value);
    }
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return 0;
}

ATOM GlobalFindAtomA(LPCSTR name) {
  if (!ValidName(name)) return 0;
  int integer = IntegerAtom(name);
  if (integer) return integer < 0 ? 0 : static_cast<ATOM>(integer);
  std::lock_guard lock(platform::ws::S().mutex);
  ATOM atom = FindLocked(name);
  if (!atom) SetLastError(ERROR_FILE_NOT_FOUND);
  return atom;
}

ATOM GlobalDeleteAtom(ATOM atom) {
  if (atom > 0 && atom < kFirstStringAtom) return 0;
  std::lock_guard lock(platform::ws::S().mutex);
  auto it = Table().find(atom);
  if (it == Table().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return atom;
  }
  if (--it->second.references == 0) Table().erase(it);
  return 0;
}

UINT GlobalGetAtomNameA(ATOM atom, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string name;
  if (atom > 0 && atom < kFirstStringAtom) {
    name = "#" + std::to_string(atom);
  } else {
    std::lock_guard lock(platform::ws::S().mutex);
    auto it = Table().find(atom);
    if (it == Table().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    name = it->second.name;
  }
  return static_cast<UINT>(platform::CopyTruncated(name, buffer, static_cast<std::size_t>(capacity)));
}
