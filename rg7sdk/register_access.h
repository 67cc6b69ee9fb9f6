// Register and field access of the current board's register window.
#pragma once

#include <cstdint>

#include "rg7sdk/register_field_table.h"

namespace rg7 {

// Bytes of the register window the driver maps per board.
constexpr std::uint32_t kRegisterWindowSize = 0x100000;
constexpr std::uint32_t kFirstByteRegister = 25;

// Special field indices.
constexpr std::uint32_t kLoadFieldTable = 0x80000000u;
constexpr std::uint32_t kSetFieldValid = 0x80000001u;

struct FieldTableDescriptor {
  const RegisterField* table;
  std::uint32_t count;
};

std::uint32_t IHW_SetField(std::uint32_t index, std::uint32_t value);
std::uint32_t IHW_GetField(std::uint32_t index);
const FieldTableDescriptor* IHW_GetFieldTable();

// Part count of the last field written.
std::uint32_t LastFieldPartCount();
// Forgets the loaded table (library detach).
void UnloadFieldTable();

}  // namespace rg7
