#include "kt6sdk/library_entry.h"

#include "kt6sdk/decimation.h"
#include "kt6sdk/driver_link.h"
#include "kt6sdk/library_state.h"

namespace kt6 {

BOOL LibraryAttach() {
  InstallCaptureDeferredOperations();
  AttachDriverLink();
  return TRUE;
}

void LibraryDetach() {
  DetachDriverLink();
  ResetLibraryState();
}

}  // namespace kt6
