// Logs that tests read keep their most recent entries only: a long run of serial
// traffic or interrupts must not grow them without end.
#pragma once

#include <cstddef>
#include <vector>

namespace sim {

constexpr std::size_t kLogLimit = 1 << 16;

template <class T>
void AppendBounded(std::vector<T>& log, T entry, std::size_t limit = kLogLimit) {
  if (log.size() >= limit) log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(limit / 2));
  log.push_back(std::move(entry));
}

}  // namespace sim
