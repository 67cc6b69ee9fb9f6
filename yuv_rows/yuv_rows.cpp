// Which row set this processor runs. __builtin_cpu_supports also asks whether
// the operating system saves the wider registers.
#include "yuv_rows/yuv_rows.h"

#include <initializer_list>

namespace yuv {

const YuvRows* YuvRowsOf(YuvRowLevel level) {
  __builtin_cpu_init();
  switch (level) {
    case YuvRowLevel::kScalar:
      return &kScalarYuvRows;
    case YuvRowLevel::kAvx2:
      return __builtin_cpu_supports("avx2") ? &kAvx2YuvRows : nullptr;
    case YuvRowLevel::kAvx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                     __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
                     __builtin_cpu_supports("avx512vnni")
                 ? &kAvx512YuvRows
                 : nullptr;
  }
  return nullptr;
}

const YuvRows& FastestYuvRows() {
  static const YuvRows* const fastest = [] {
    for (YuvRowLevel level : {YuvRowLevel::kAvx512, YuvRowLevel::kAvx2})
      if (const YuvRows* rows = YuvRowsOf(level)) return rows;
    return &kScalarYuvRows;
  }();
  return *fastest;
}

}  // namespace yuv
