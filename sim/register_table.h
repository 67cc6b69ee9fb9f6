// A device's registers as a table: every register a model knows is declared once,
// with its name, reset value, the bits a host write cannot change, the bits a
// written 1 clears, and the component whose side effects an access has. The file
// applies the table to each host access; a register outside the table keeps what
// is written.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win_types.h"

namespace sim {

// The side effects of some registers. Called with the device's register lock held:
// a hook keeps to its own state and the values handed to it.
class PLATFORM_EXPORT RegisterHook {
 public:
  virtual ~RegisterHook() = default;
  // What the host reads; `stored` is the register's kept value.
  virtual std::uint32_t OnRead(std::uint32_t /*index*/, std::uint32_t stored) { return stored; }
  // A host write, with the table's read-only and write-1-to-clear bits already
  // applied to `written`: returns the value the register keeps.
  virtual std::uint32_t OnWrite(std::uint32_t /*index*/, std::uint32_t /*old*/, std::uint32_t written) {
    return written;
  }
  // Interrupt status bits that the last write makes the device raise (again).
  virtual std::uint32_t TakeRaisedInterrupts() { return 0; }
};

struct RegisterInfo {
  const char* name;
  std::uint32_t index;
  std::uint32_t reset = 0;
  std::uint32_t read_only = 0;    // keep their value on host writes
  std::uint32_t write_clear = 0;  // a written 1 clears the bit, a 0 leaves it
  RegisterHook* hook = nullptr;   // not owned
};

// The registers of one device. It takes no lock of its own: the device's lock
// guards every call.
class PLATFORM_EXPORT RegisterFile {
 public:
  // Bytes each register holds (1, 2 or 4), by register number.
  using WidthOf = unsigned (*)(std::uint32_t index);

  // Registers start at their reset values. A table entry out of range or declared
  // twice is a fault of the model: it aborts.
  RegisterFile(std::uint32_t count, WidthOf widthOf, std::vector<RegisterInfo> table);

  std::uint32_t count() const { return static_cast<std::uint32_t>(values_.size()); }
  unsigned width(std::uint32_t index) const { return width_of_(index); }
  // The table's entry of a register, or null.
  const RegisterInfo* Find(std::uint32_t index) const;

  // Host read of a register in range.
  std::uint32_t Read(std::uint32_t index);
  // Host write of the bits in `mask` (the bytes the access covers) of a register in
  // range. Returns the interrupt bits its hook raised.
  std::uint32_t Write(std::uint32_t index, std::uint32_t value, std::uint32_t mask);

  // The kept value without side effects (device side, tests); 0 out of range.
  std::uint32_t Get(std::uint32_t index) const;
  void Set(std::uint32_t index, std::uint32_t value);

 private:
  std::uint32_t WidthMask(std::uint32_t index) const;

  WidthOf width_of_;
  std::vector<RegisterInfo> table_;
  std::vector<std::int32_t> entry_of_;  // register number -> table position, -1: none
  std::vector<std::uint32_t> values_;
};

}  // namespace sim
