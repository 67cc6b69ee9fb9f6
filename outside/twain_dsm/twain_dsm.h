// The project's own TWAIN source manager, for tests and examples: DSM_Entry as a
// TWAIN 2.x source manager on Linux offers it, over data sources taken from a path
// of the caller's choosing.
//
// MSG_OPENDSM registers the manager with the platform's loader as "TWAIN_32.DLL"
// (the name the data sources load for their notifications) and finds the sources:
// each is loaded with dlopen (RTLD_LAZY), its "DS_Entry" looked up and asked for
// DAT_IDENTITY MSG_GET with the application's identity as origin; those with
// DG_CONTROL and DG_IMAGE and protocol 1.5 to 2.x are listed, and every source is
// unloaded again. MSG_OPENDS loads the chosen source and assigns its Id; it is
// unloaded right after its MSG_CLOSEDS succeeds (or when its MSG_OPENDS fails).
//
// A source's DAT_NULL (MSG_XFERREADY, MSG_CLOSEDSREQ) goes to the entry that its
// application registered with DAT_CALLBACK MSG_REGISTER_CALLBACK, at once, inside
// the source's call. Without one it is queued for the application, which receives
// it from DAT_EVENT MSG_PROCESSEVENT: the manager posts a message of its own to the
// application's parent window and answers that message with TWRC_DSEVENT and the
// notification; an application without a window gets it from its next
// MSG_PROCESSEVENT.
#pragma once

#include <cstddef>
#include <string>

#include "twain_ds/twain.h"

#define TWAIN_DSM_EXPORT __attribute__((visibility("default")))

extern "C" {
TWAIN_DSM_EXPORT TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT,
                                     TW_UINT16 MSG, TW_MEMREF pData);
}

namespace twain_dsm {

// Where the next MSG_OPENDSM looks for sources: one data-source file, or a
// directory whose regular files with ".ds" in their name are sources (its
// subdirectories included).
TWAIN_DSM_EXPORT void SetSourcePath(const std::string& path);

// Raw mode: triplets addressed to a listed source go to it as they are, also before
// its MSG_OPENDS and from any origin (null included); the source is found by the
// Id the manager assigned or else by ProductName, and is loaded for it if needed.
// Switching raw mode off unloads the sources it loaded.
TWAIN_DSM_EXPORT void SetRawMode(bool on);

// Data sources the manager holds loaded now.
TWAIN_DSM_EXPORT std::size_t LoadedSourceCount();
// Notifications queued for applications and not delivered yet.
TWAIN_DSM_EXPORT std::size_t PendingNotificationCount();

}  // namespace twain_dsm
