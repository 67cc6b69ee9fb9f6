#include "rg7sdk/board_nodes.h"
#include "rg7sdk/board_setup.h"
#include "rg7sdk/chipset_table.h"
#include "rg7sdk/interrupt_callbacks.h"
#include "rg7sdk/library_entry.h"
#include "rg7sdk/master_buffers.h"
#include "rg7sdk/nt_driver_link.h"
#include "rg7sdk/register_access.h"
#include "rg7sdk/rg700_ini.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {

// A missing driver does not keep the library from loading: RG7Open reports it.
BOOL LibraryAttach() {
  AttachDriverLink();
  return TRUE;
}

void LibraryDetach() {
  // The process is letting the library go: the boards close whatever the open count.
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
