// The overlay layer's diagnostics and its one map from DirectDraw results to the
// ZPDDraw codes.
#pragma once

#include <cstdint>

#include "platform/com_base.h"

namespace zpddraw {

// The diagnostic sink: every trace text of the layer goes here, and nowhere further.
void DDrawTrace(const char* text);
void ReportDDrawError(HRESULT result);
// 0 -> 0, CO_E_NOTINITIALIZED -> -108, E_ACCESSDENIED -> -102, E_OUTOFMEMORY -> -107,
// anything else (success codes too) -> -100.
std::int32_t DDrawResultToError(HRESULT result);

}  // namespace zpddraw
