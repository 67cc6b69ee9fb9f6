// How the format calls show a failure before they return its code.
#pragma once

namespace fio {

// Parameter, format and allocation failures: caption "ERROR", stop icon, OK.
void ShowFailure(const char* text);
// Read and write failures: "read error" or "write error" with an empty caption.
void ShowReadError();
void ShowWriteError();

}  // namespace fio
