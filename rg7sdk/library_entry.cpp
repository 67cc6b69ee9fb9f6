#include "rg7sdk/library_entry.h"

#include "rg7sdk/board_nodes.h"
#include "rg7sdk/board_setup.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/driver_link.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/master_buffers.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg700_ini.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {

BOOL LibraryAttach() { return AttachDriverLink() ? TRUE : FALSE; }

void LibraryDetach() {
  // The process is letting the library go: the boards close whatever the open count,
  // and the service thread ends before the code it runs goes away.
  CloseCompletely();
  ShutdownInterruptService();
  for (RG7BoardRecord& board : g_boardRecords) {
    ClearCallbackLists(board);
    ReleaseMasterBuffers(board);
    ResetBoardRecord(board);
  }
  SetCurrentBoardIndex(0);
  ResetOpenState();
  FreeBoardNodes();
  DetachDriverLink();
  ResetChipsetState();
  ResetRg700Ini();
  UnloadFieldTable();
}

}  // namespace rg7
