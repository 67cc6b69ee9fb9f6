// Layout of the bridge's named register fields.
#pragma once

#include <cstdint>

#include "rg7sdk/register_field_names.h"

namespace rg7 {

struct RegisterFieldPart {
  std::uint32_t register_index;
  std::uint32_t width;           // 4 = dword register, 1 = byte register
  std::uint32_t register_shift;  // where the part sits in the register
  std::uint32_t value_shift;     // where the part sits in the field value
  std::uint32_t mask;            // the part's bits in the register (shifted)
};
static_assert(sizeof(RegisterFieldPart) == 20);

struct RegisterField {
  const char* name;  // null for an empty entry
  std::uint16_t index;
  std::uint16_t part_count;  // 0 marks an empty entry
  std::uint32_t kind;
  const RegisterFieldPart* parts;
};

constexpr std::uint32_t kRegisterFieldCount = 228;

struct RegisterFieldTable {
  RegisterField entries[kRegisterFieldCount];
  std::uint32_t count;
};

extern const RegisterFieldTable kRegisterFieldTable;

}  // namespace rg7
