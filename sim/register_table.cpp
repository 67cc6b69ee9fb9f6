#include "sim/register_table.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

RegisterFile::RegisterFile(std::uint32_t count, WidthOf widthOf, std::vector<RegisterInfo> table)
    : width_of_(widthOf), table_(std::move(table)), entry_of_(count, -1), values_(count, 0) {
  for (std::size_t i = 0; i < table_.size(); ++i) {
    const RegisterInfo& r = table_[i];
    if (r.index >= count || entry_of_[r.index] >= 0) {
      std::fprintf(stderr, "virtual PC: register %s (%u) out of range or declared twice\n", r.name, r.index);
      std::abort();
    }
    entry_of_[r.index] = static_cast<std::int32_t>(i);
    values_[r.index] = r.reset & WidthMask(r.index);
  }
}

std::uint32_t RegisterFile::WidthMask(std::uint32_t index) const {
  unsigned bytes = width_of_(index);
  return bytes >= 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1;
}

const RegisterInfo* RegisterFile::Find(std::uint32_t index) const {
  if (index >= entry_of_.size() || entry_of_[index] < 0) return nullptr;
  return &table_[static_cast<std::size_t>(entry_of_[index])];
}

std::uint32_t RegisterFile::Read(std::uint32_t index) {
  std::uint32_t stored = values_[index];
  const RegisterInfo* r = Find(index);
  return r && r->hook ? r->hook->OnRead(index, stored) : stored;
}

std::uint32_t RegisterFile::Write(std::uint32_t index, std::uint32_t value, std::uint32_t mask) {
  std::uint32_t old = values_[index];
  mask &= WidthMask(index);
  std::uint32_t written = (old & ~mask) | (value & mask);
  const RegisterInfo* r = Find(index);
  if (!r) {
    values_[index] = written;
    return 0;
  }
  written = (written & ~r->read_only) | (old & r->read_only);
  std::uint32_t clear = r->write_clear & ~r->read_only;
  written = (written & ~clear) | (old & clear & ~(value & mask));
  if (r->hook) written = r->hook->OnWrite(index, old, written);
  values_[index] = written & WidthMask(index);
  return r->hook ? r->hook->TakeRaisedInterrupts() : 0;
}

std::uint32_t RegisterFile::Get(std::uint32_t index) const { return index < values_.size() ? values_[index] : 0; }

void RegisterFile::Set(std::uint32_t index, std::uint32_t value) {
  if (index < values_.size()) values_[index] = value & WidthMask(index);
}

}  // namespace sim
