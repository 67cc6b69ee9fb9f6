#include "kt6sdk/kt6sdk.h"
std::int32_t KT6WaitForFrameEnd() { return -1; }
